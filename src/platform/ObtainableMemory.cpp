#include "platform/ObtainableMemory.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace cz {
namespace {

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

// The value of a "Name:  1234 kB" line of a /proc status file, in bytes.
std::uint64_t KilobyteField(const char* file, const std::string& name) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, name.size(), name) != 0) continue;
    std::istringstream fields(line.substr(name.size()));
    std::uint64_t kilobytes = 0;
    if (fields >> kilobytes) return kilobytes * 1024;
  }
  return 0;
}

// What a soft limit leaves beside the given use; unlimited when there is no limit.
std::uint64_t LeftUnder(int resource, std::uint64_t used) {
  rlimit limit{};
  if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
  const auto cap = static_cast<std::uint64_t>(limit.rlim_cur);
  return cap > used ? cap - used : 0;
}

std::uint64_t ReadNumber(const std::string& file) {
  std::ifstream in(file);
  std::string text;
  if (!(in >> text) || text == "max") return kUnlimited;
  try {
    return std::stoull(text);
  } catch (...) {
    return kUnlimited;
  }
}

// cgroup v2: the limit of the process's own group ("0::/path" in /proc/self/cgroup).
std::uint64_t LeftInControlGroup() {
  std::ifstream in("/proc/self/cgroup");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 3, "0::") != 0) continue;
    const std::string folder = "/sys/fs/cgroup" + line.substr(3);
    const std::uint64_t limit = ReadNumber(folder + "/memory.max");
    if (limit == kUnlimited) return kUnlimited;
    const std::uint64_t current = ReadNumber(folder + "/memory.current");
    if (current == kUnlimited) return limit;
    return limit > current ? limit - current : 0;
  }
  return kUnlimited;
}

}  // namespace

std::uint64_t ObtainableMemoryBytes() {
  std::uint64_t obtainable = kUnlimited;
  const std::uint64_t available = KilobyteField("/proc/meminfo", "MemAvailable:");
  if (available > 0) {
    obtainable = available + KilobyteField("/proc/meminfo", "SwapFree:");
  }
  obtainable =
      std::min(obtainable, LeftUnder(RLIMIT_AS, KilobyteField("/proc/self/status", "VmSize:")));
  obtainable =
      std::min(obtainable, LeftUnder(RLIMIT_DATA, KilobyteField("/proc/self/status", "VmData:")));
  return std::min(obtainable, LeftInControlGroup());
}

}  // namespace cz
