#include "port/ErrorLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>

#include "platform/Error.h"
#include "platform/ExecutableFolder.h"
#include "platform/FileSystem.h"

namespace cz {

namespace {

// The log is the process's one channel to whoever started it, so its mode is the process's.
struct SharedLog {
  std::mutex mutex;
  bool shared = false;
  std::string jobName;
};

SharedLog& Shared() {
  static SharedLog log;
  return log;
}

std::atomic<bool> logged{false};

// One write(2) on an O_APPEND descriptor: the line lands whole at the end of the file, whatever
// other processes append meanwhile.
bool AppendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(ResolvePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  ssize_t written;
  do {
    written = ::write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  const bool whole = written == static_cast<ssize_t>(line.size());
  return ::close(fd) == 0 && whole;
}

}  // namespace

std::string ErrorLogPath() {
  return ProgramDataFolder() + "Error.txt";
}

void LogError(const std::string& message) {
  logged = true;
  SharedLog& log = Shared();
  std::lock_guard lock(log.mutex);
  if (log.shared) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    if (!AppendLine(ErrorLogPath(), "[" + log.jobName + "] " + message + "\r\n")) {
      std::fprintf(stderr, "Unable to write to %s\n", ErrorLogPath().c_str());
    }
    return;
  }
  try {
    AtomicWriteFile(ErrorLogPath(), message + "\r\n");
  } catch (const CartozenError& error) {
    // The log is the only channel of a command-line run; never lose a message silently.
    std::fprintf(stderr, "%s\n%s\n", error.what(), message.c_str());
  }
}

void ShareErrorLog(const std::string& jobName) {
  SharedLog& log = Shared();
  std::lock_guard lock(log.mutex);
  log.shared = !jobName.empty();
  log.jobName = jobName;
}

bool ErrorLogShared() {
  SharedLog& log = Shared();
  std::lock_guard lock(log.mutex);
  return log.shared;
}

bool ErrorLoggedByThisProcess() {
  return logged;
}

void PrintCause(const std::string& cause) {
  std::fprintf(stderr, "%s\n", cause.c_str());
  std::fflush(stderr);
}

void DeleteErrorLog() {
  if (ErrorLogShared()) return;
  const std::string path = ErrorLogPath();
  if (FileExists(path)) DeleteFileAt(path);
}

}  // namespace cz
