#include "platform/ExecutableFolder.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace cz {

namespace {
std::string& Override() {
  static std::string folder;
  return folder;
}
}  // namespace

std::string ExecutableFolder() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  const std::string exe(buffer, static_cast<std::size_t>(n));
  return ExtractFilePath(exe);
}

std::string ProgramDataFolder() {
  if (!Override().empty()) return WithTrailingSeparator(Override());
  const std::string exeFolder = ExecutableFolder();
  if (::access(exeFolder.c_str(), W_OK) == 0) return exeFolder;
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = JoinPath(home, ".config");
  } else {
    return exeFolder;
  }
  const std::string folder = WithTrailingSeparator(JoinPath(base, "Cartozen2"));
  ForceDirectories(folder);
  return folder;
}

void OverrideProgramDataFolder(const std::string& folder) { Override() = folder; }

}  // namespace cz
