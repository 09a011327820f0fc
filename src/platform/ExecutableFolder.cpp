#include "platform/ExecutableFolder.h"

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace cz {

namespace {

std::string& Override() {
  static std::string folder;
  return folder;
}

// Folders a package manager owns: the program's files written there would outlive the
// package and belong to no user. Root can write them, so writability alone does not tell.
bool IsSystemProgramFolder(std::string_view folder) {
  constexpr std::array<std::string_view, 3> kSystemTrees = {"/usr/", "/bin/", "/sbin/"};
  for (const std::string_view tree : kSystemTrees) {
    if (folder.substr(0, tree.size()) == tree) return true;
  }
  return false;
}

bool IsSet(const char* variable) {
  return variable != nullptr && *variable != '\0';
}

}  // namespace

std::string ExecutablePath() {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string ExecutableFolder() {
  const std::string exe = ExecutablePath();
  return exe.empty() ? "./" : ExtractFilePath(exe);
}

std::string ChooseProgramDataFolder(const std::string& executableFolder,
                                    bool executableFolderWritable, const char* xdgConfigHome,
                                    const char* home) {
  if (executableFolderWritable && !IsSystemProgramFolder(executableFolder)) {
    return executableFolder;
  }
  std::string base;
  if (IsSet(xdgConfigHome)) {
    base = xdgConfigHome;
  } else if (IsSet(home)) {
    base = JoinPath(home, ".config");
  } else {
    return executableFolder;  // nowhere else to go; writing fails there with a clear message
  }
  return WithTrailingSeparator(JoinPath(base, "Cartozen2"));
}

std::string ProgramDataFolder() {
  if (!Override().empty()) return WithTrailingSeparator(Override());
  const std::string exeFolder = ExecutableFolder();
  const std::string folder =
      ChooseProgramDataFolder(exeFolder, ::access(exeFolder.c_str(), W_OK) == 0,
                              std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  if (folder != exeFolder) ForceDirectories(folder);
  return folder;
}

void OverrideProgramDataFolder(const std::string& folder) {
  Override() = folder;
}

}  // namespace cz
