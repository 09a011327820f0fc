#include "state/ErrorLog.h"

#include <cstdio>

#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"

namespace cz {

std::string ErrorLogPath() {
  return ProgramDataFolder() + "Error.txt";
}

void LogError(const std::string& message) {
  try {
    AtomicWriteFile(ErrorLogPath(), message + "\r\n");
  } catch (const CartozenError& error) {
    // The log is the only channel of a command-line run; never lose a message silently.
    std::fprintf(stderr, "%s\n%s\n", error.what(), message.c_str());
  }
}

void PrintCause(const std::string& cause) {
  std::fprintf(stderr, "%s\n", cause.c_str());
  std::fflush(stderr);
}

void DeleteErrorLog() {
  const std::string path = ErrorLogPath();
  if (FileExists(path)) DeleteFileAt(path);
}

}  // namespace cz
