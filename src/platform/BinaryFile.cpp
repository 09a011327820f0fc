#include "platform/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/Error.h"
#include "platform/FileSystem.h"

namespace cz {

namespace {

int OpenFlags(BinaryFile::Mode mode) {
  switch (mode) {
    case BinaryFile::Mode::Read:
      return O_RDONLY;
    case BinaryFile::Mode::ReadWrite:
      return O_RDWR;
    case BinaryFile::Mode::Create:
      return O_RDWR | O_CREAT | O_TRUNC;
    case BinaryFile::Mode::CreateNew:
      return O_RDWR | O_CREAT | O_EXCL;
  }
  return O_RDONLY;
}

}  // namespace

BinaryFile::BinaryFile(std::string_view path, Mode mode) : path_(path) {
  const std::string resolved = ResolvePath(path);
  do {
    fd_ = ::open(resolved.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EINTR);
  struct stat st;
  // A folder opens read-only on Linux; it is not a file to read or write.
  if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd_);
    fd_ = -1;
  }
  if (fd_ < 0) {
    if (mode == Mode::Read) throw CartozenError("Unable to open file '" + path_ + "'");
    FailWrite();
  }
}

BinaryFile::~BinaryFile() {
  if (fd_ >= 0) ::close(fd_);
}

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      position_(other.position_) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    position_ = other.position_;
  }
  return *this;
}

std::uint64_t BinaryFile::Size() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) FailRead("its size is unknown");
  return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t BinaryFile::SeekEnd() {
  position_ = Size();
  return position_;
}

std::size_t BinaryFile::ReadSome(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, out + done, count - done, static_cast<off_t>(position_));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) FailRead("the file cannot be read");
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
    position_ += static_cast<std::uint64_t>(got);
  }
  return done;
}

void BinaryFile::ReadExact(void* buffer, std::size_t count) {
  if (ReadSome(buffer, count) != count) FailRead("the file ends too early");
}

void BinaryFile::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t put = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(position_));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) FailWrite();
    done += static_cast<std::size_t>(put);
    position_ += static_cast<std::uint64_t>(put);
  }
}

void BinaryFile::Sync() {
  if (fd_ < 0 || ::fsync(fd_) != 0) FailWrite();
}

void BinaryFile::Close() {
  if (fd_ < 0) return;
  const int result = ::close(std::exchange(fd_, -1));
  if (result != 0 && errno != EINTR) FailWrite();
}

void BinaryFile::FailRead(const char* what) const {
  throw CartozenError("Unable to read from " + path_ + ": " + what);
}

void BinaryFile::FailWrite() const {
  throw CartozenError("Unable to write to " + path_);
}

}  // namespace cz
