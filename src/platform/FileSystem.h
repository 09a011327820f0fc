#pragma once
// File-system access with the program's rules: names match without regard to case, and a
// file that reaches its final name is always whole.
//
// Case: ResolvePath walks a path component by component; where the exact spelling does not
// exist it takes the entry of the same name in another case ("Map Sources" finds
// "Map sources"). Components that match nothing are kept as given, so the result is also the
// right path for creating a new file inside an existing folder. All functions below resolve
// their path arguments this way.
//
// Writes: AtomicWriteFile writes a temporary file in the target's folder, flushes it and
// renames it over the target, so a crash leaves either the old or the new file.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cz {

// A stdio file that is closed when the handle goes.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenedFile = std::unique_ptr<std::FILE, FileCloser>;

// The path with every existing component in its real spelling (see above).
std::string ResolvePath(std::string_view path);

bool FileExists(std::string_view path);       // an existing ordinary file (or link to one)
bool DirectoryExists(std::string_view path);  // an existing folder

// Creates the folder and any missing parents. Returns false when it could not.
bool ForceDirectories(std::string_view path);

// Ordinary, non-hidden files in folder whose names match pattern ("*.GIF", "1_*.gif"; '*'
// and '?' wildcards) without regard to case. Returns bare names in the order the folder
// lists them; a missing folder lists nothing.
std::vector<std::string> ListFiles(std::string_view folder, std::string_view pattern);

// True when name matches the wildcard pattern, ignoring case.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Deletes a file; false when it did not exist or could not be deleted.
bool DeleteFileAt(std::string_view path);

// What identifies one state of whatever is at a path: a change of any field means the file
// was changed or replaced. All zero with exists false when nothing is there.
struct FileStamp {
  bool exists = false;
  bool regular = false;  // an ordinary file (or a link to one)
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of path. Throws CartozenError("Unable to open file '" + path + "'") when the
// path cannot be examined (a folder on the way that may not be searched).
FileStamp StampOfFile(std::string_view path);

// Size of a file in bytes, or -1 when it cannot be read.
std::int64_t FileSize(std::string_view path);

// Whole file as bytes; throws CartozenError("Unable to open file '" + path + "'").
std::string ReadWholeFile(std::string_view path);

// Replaces path with bytes atomically. Refuses a read-only target (no write bit set, as a
// read-only attribute would) and throws CartozenError("Unable to write to " + path) on any
// failure, leaving the old file as it was.
void AtomicWriteFile(std::string_view path, std::string_view bytes);

// A fresh name beside path for a temporary file that will be renamed onto path: hidden, and
// naming its writer by process id and machine (".name.tmp<pid>-<n>@<host>"), so that writers on
// several machines sharing a folder never pick one name.
std::string TemporarySibling(std::string_view path);

// Removes what interrupted writes left in folder: hidden temporary files of TemporarySibling
// written on this machine by a process that no longer runs (another machine's are left to it),
// and hidden ".*.part" copies. Returns
// how many were removed; files that cannot be removed stay.
int RemoveWriteLeftovers(std::string_view folder);

// Renames from onto to (replacing it); throws CartozenError("Unable to write to " + to).
void ReplaceFile(std::string_view from, std::string_view to);

// The halves of AtomicWriteFile for callers that resolve names themselves and split the work
// between threads (tile creation writes on workers and renames in order), with the wait for
// the device left to whoever commits: the bytes are written beside target (with target's
// permissions when it exists, else 0666 less the umask; a read-only target is refused) and
// their writeback started, the file stays open. target is used as given, without case
// resolution; errors name shownName. A worker that writes many files
// hands the wait to a thread that has nothing else to do, and the device works meanwhile.
// Moving hands the file on; destroying it uncommitted removes it.
class UnsyncedTemporaryFile {
 public:
  UnsyncedTemporaryFile() = default;
  UnsyncedTemporaryFile(const std::string& target, std::string_view bytes,
                        const std::string& shownName);
  UnsyncedTemporaryFile(UnsyncedTemporaryFile&& other) noexcept;
  UnsyncedTemporaryFile& operator=(UnsyncedTemporaryFile&& other) noexcept;
  ~UnsyncedTemporaryFile();

  bool Empty() const { return path_.empty(); }
  // Waits until the bytes are on the device (fsync), closes the file and renames it onto
  // target; on failure removes it and throws CartozenError("Unable to write to " + shownName).
  // Leaves the object empty either way.
  void Commit(const std::string& target, const std::string& shownName);

 private:
  void Discard() noexcept;

  std::string path_;
  int descriptor_ = -1;
};

}  // namespace cz
