#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/Error.h"
#include "platform/Paths.h"

namespace cz {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals name ignoring case; empty when there is none.
std::string FindEntryIgnoringCase(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    if (SameTextIgnoringCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::string ResolvePath(std::string_view path) {
  std::string input(path);
  if (input.empty() || Exists(input)) return input;
  std::string result;
  std::size_t pos = 0;
  if (input.front() == '/') {
    result = "/";
    pos = 1;
  }
  bool resolving = true;
  while (pos <= input.size()) {
    std::size_t next = input.find('/', pos);
    if (next == std::string::npos) next = input.size();
    const std::string part = input.substr(pos, next - pos);
    if (!part.empty()) {
      std::string candidate = result + part;
      if (resolving && !Exists(candidate)) {
        const std::string real = FindEntryIgnoringCase(result, part);
        if (!real.empty()) {
          candidate = result + real;
        } else {
          resolving = false;  // nothing below a missing component can exist
        }
      }
      result = candidate;
      if (next < input.size()) result += '/';
    } else if (next < input.size() && !result.empty() && result.back() != '/') {
      result += '/';
    }
    pos = next + 1;
  }
  return result;
}

bool FileExists(std::string_view path) {
  struct stat st;
  return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
  struct stat st;
  return ::stat(ResolvePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(std::string_view path) {
  std::string resolved = WithoutTrailingSeparator(ResolvePath(path));
  if (resolved.empty()) return false;
  if (DirectoryExists(resolved)) return true;
  const std::size_t sep = resolved.find_last_of('/');
  if (sep != std::string::npos && sep > 0 && !ForceDirectories(resolved.substr(0, sep))) {
    return false;
  }
  // The parent may have been found in another case: resolve again before creating.
  resolved = WithoutTrailingSeparator(ResolvePath(resolved));
  return ::mkdir(resolved.c_str(), 0777) == 0 || DirectoryExists(resolved);
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  // Iterative matcher with single backtracking point for '*'.
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  auto same = [](char a, char b) { return SameTextIgnoringCase({&a, 1}, {&b, 1}); };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> ListFiles(std::string_view folder, std::string_view pattern) {
  std::vector<std::string> names;
  const std::string resolved = ResolvePath(folder);
  DIR* dir = ::opendir(resolved.empty() ? "." : resolved.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.front() == '.') continue;  // hidden files are not listed
    if (!WildcardMatch(pattern, name)) continue;
    struct stat st;
    if (::stat(JoinPath(resolved, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      names.push_back(name);
    }
  }
  ::closedir(dir);
  return names;
}

bool DeleteFileAt(std::string_view path) {
  return ::unlink(ResolvePath(path).c_str()) == 0;
}

FileStamp StampOfFile(std::string_view path) {
  struct stat st;
  if (::stat(ResolvePath(path).c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    throw CartozenError("Unable to open file '" + std::string(path) + "'");
  }
  FileStamp stamp;
  stamp.exists = true;
  stamp.regular = S_ISREG(st.st_mode);
  stamp.device = static_cast<std::uint64_t>(st.st_dev);
  stamp.inode = static_cast<std::uint64_t>(st.st_ino);
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.modifiedNanoseconds =
      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

std::int64_t FileSize(std::string_view path) {
  struct stat st;
  if (::stat(ResolvePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::string ReadWholeFile(std::string_view path) {
  const std::string resolved = ResolvePath(path);
  std::FILE* file = std::fopen(resolved.c_str(), "rb");
  if (!file) throw CartozenError("Unable to open file '" + std::string(path) + "'");
  std::string bytes;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file);
  std::fclose(file);
  if (failed) throw CartozenError("Unable to open file '" + std::string(path) + "'");
  return bytes;
}

namespace {

// This machine's name as temporary names carry it: processes on several machines that share
// a folder have process ids of their own, so a process id alone names no writer there.
const std::string& HostName() {
  static const std::string name = [] {
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0 || buffer[0] == '\0')
      return std::string("localhost");
    std::string host = buffer;
    for (char& c : host) {
      if (c == '/' || c == '@') c = '_';
    }
    return host;
  }();
  return name;
}

// The temporary name beside a path that is already in its real spelling.
std::string TemporaryNameBeside(const std::string& resolved) {
  static std::atomic<unsigned> counter{0};
  return ExtractFilePath(resolved) + "." + ExtractFileName(resolved) + ".tmp" +
         std::to_string(::getpid()) + "-" + std::to_string(counter++) + "@" + HostName();
}

}  // namespace

std::string TemporarySibling(std::string_view path) {
  return TemporaryNameBeside(ResolvePath(path));
}

namespace {

// A TemporarySibling name: "." + name + ".tmp" + pid + "-" + counter + "@" + host (earlier
// versions wrote no host: those are this machine's). True with the pid and host when the name
// has that form.
bool TemporaryWriter(std::string name, long& pid, std::string& host) {
  const std::size_t at = name.rfind('@');
  host = at == std::string::npos ? HostName() : name.substr(at + 1);
  if (at != std::string::npos) name.resize(at);
  const std::size_t tmp = name.rfind(".tmp");
  if (name.empty() || name.front() != '.' || tmp == std::string::npos || tmp == 0) return false;
  const std::size_t dash = name.find('-', tmp + 4);
  if (dash == std::string::npos || dash == tmp + 4) return false;
  pid = 0;
  for (std::size_t i = tmp + 4; i < dash; ++i) {
    if (name[i] < '0' || name[i] > '9' || pid > 100000000) return false;
    pid = pid * 10 + (name[i] - '0');
  }
  return true;
}

bool ProcessRuns(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

int RemoveWriteLeftovers(std::string_view folder) {
  const std::string resolved = ResolvePath(folder);
  DIR* dir = ::opendir(resolved.empty() ? "." : resolved.c_str());
  if (!dir) return 0;
  std::vector<std::string> leftovers;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    long pid = 0;
    std::string host;
    // A temporary file of a writer that still runs (another instance) is its business, and so
    // is one written on another machine, whose processes this one cannot see.
    const bool staleTemporary =
        TemporaryWriter(name, pid, host) && host == HostName() && !ProcessRuns(pid);
    const bool partCopy =
        name.size() > 6 && name.front() == '.' && name.compare(name.size() - 5, 5, ".part") == 0;
    if (staleTemporary || partCopy) leftovers.push_back(JoinPath(resolved, name));
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string& path : leftovers) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

namespace {

// Writes bytes into a fresh temporary file beside target and returns its open descriptor
// (path in temp); on failure removes the file and throws.
int WriteFreshTemporary(const std::string& target, std::string_view bytes,
                        const std::string& shownName, std::string& temp) {
  const auto fail = [&] { throw CartozenError("Unable to write to " + shownName); };
  struct stat st;
  const bool existed = ::stat(target.c_str(), &st) == 0;
  if (existed && (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0)) fail();

  temp = TemporaryNameBeside(target);
  // A new file gets 0666 less the umask from the system itself: reading the umask would mean
  // setting it, and that races with every other thread creating files.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) fail();
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  // A replaced file keeps its permissions.
  const bool modeKept = !existed || ::fchmod(fd, st.st_mode & 07777) == 0;
  if (!modeKept || written != bytes.size()) {
    ::close(fd);
    ::unlink(temp.c_str());
    fail();
  }
  return fd;
}

// fsync and close; on failure removes temp and throws.
void SyncAndClose(int fd, const std::string& temp, const std::string& shownName) {
  const bool synced = ::fsync(fd) == 0;
  if (::close(fd) != 0 || !synced) {
    ::unlink(temp.c_str());
    throw CartozenError("Unable to write to " + shownName);
  }
}

// Bytes in a fresh temporary file beside target, on the device; returns its path.
std::string WriteTemporaryFile(const std::string& target, std::string_view bytes,
                               const std::string& shownName) {
  std::string temp;
  SyncAndClose(WriteFreshTemporary(target, bytes, shownName, temp), temp, shownName);
  return temp;
}

// Renames temp onto target; on failure removes temp and throws.
void CommitTemporaryFile(const std::string& temp, const std::string& target,
                         const std::string& shownName) {
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw CartozenError("Unable to write to " + shownName);
  }
}

}  // namespace

void ReplaceFile(std::string_view from, std::string_view to) {
  CommitTemporaryFile(std::string(from), ResolvePath(to), std::string(to));
}

UnsyncedTemporaryFile::UnsyncedTemporaryFile(const std::string& target, std::string_view bytes,
                                             const std::string& shownName) {
  descriptor_ = WriteFreshTemporary(target, bytes, shownName, path_);
#if defined(SYNC_FILE_RANGE_WRITE)
  // Only a start: the device writes while the caller goes on; the commit's fsync waits for it.
  ::sync_file_range(descriptor_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

UnsyncedTemporaryFile::UnsyncedTemporaryFile(UnsyncedTemporaryFile&& other) noexcept {
  *this = std::move(other);
}

UnsyncedTemporaryFile& UnsyncedTemporaryFile::operator=(UnsyncedTemporaryFile&& other) noexcept {
  if (this != &other) {
    Discard();
    path_ = std::exchange(other.path_, {});
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

UnsyncedTemporaryFile::~UnsyncedTemporaryFile() {
  Discard();
}

void UnsyncedTemporaryFile::Discard() noexcept {
  if (descriptor_ >= 0) ::close(descriptor_);
  if (!path_.empty()) ::unlink(path_.c_str());
  descriptor_ = -1;
  path_.clear();
}

void UnsyncedTemporaryFile::Commit(const std::string& target, const std::string& shownName) {
  const std::string temp = std::exchange(path_, {});
  SyncAndClose(std::exchange(descriptor_, -1), temp, shownName);
  CommitTemporaryFile(temp, target, shownName);
}

void AtomicWriteFile(std::string_view path, std::string_view bytes) {
  const std::string target = ResolvePath(path);
  const std::string shown(path);
  CommitTemporaryFile(WriteTemporaryFile(target, bytes, shown), target, shown);
}

}  // namespace cz
