#include "platform/ThreadCount.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace cz {

int WorkerThreadCount() {
  constexpr int kMostThreads = 256;
  if (const char* text = std::getenv("CARTOZEN_THREADS")) {
    int count = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, count);
    if (error == std::errc() && stop == end && count >= 1 && count <= kMostThreads) return count;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware == 0 ? 1 : static_cast<int>(hardware < kMostThreads ? hardware : kMostThreads);
}

}  // namespace cz
