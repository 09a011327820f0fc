#pragma once
// A file opened for byte-wise random access: open or create, seek, size, read, write, close.
//
// It holds no buffer of its own: every Read and Write goes straight to the operating system,
// so callers stream through buffers they own and size. The path is resolved without regard
// to case (FileSystem.h), and every failure throws CartozenError naming the path as given:
//   opening for reading         "Unable to open file '" + path + "'"
//   creating, writing, syncing  "Unable to write to " + path
//   reading                     "Unable to read from " + path (+ ": " + what went wrong)
// The destructor closes quietly; call Close() where a failed close must be reported.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cz {

class BinaryFile {
 public:
  enum class Mode {
    Read,       // an existing file, read only
    ReadWrite,  // an existing file, read and write, kept as it is
    Create,     // created, or emptied when it exists; read and write
    CreateNew,  // created; fails when the name exists (for temporary names)
  };

  BinaryFile(std::string_view path, Mode mode);
  ~BinaryFile();
  BinaryFile(BinaryFile&& other) noexcept;
  BinaryFile& operator=(BinaryFile&& other) noexcept;
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  // The path as given to the constructor; messages name it.
  const std::string& Path() const { return path_; }
  bool IsOpen() const { return fd_ >= 0; }

  std::uint64_t Size() const;
  std::uint64_t Position() const { return position_; }
  void Seek(std::uint64_t position) { position_ = position; }
  // Moves to the end and returns the size.
  std::uint64_t SeekEnd();

  // Reads up to count bytes at the position; fewer only at the end of the file.
  std::size_t ReadSome(void* buffer, std::size_t count);
  // Reads exactly count bytes; a file that ends first is a read error.
  void ReadExact(void* buffer, std::size_t count);
  // Writes all count bytes at the position.
  void Write(const void* buffer, std::size_t count);

  // Forces the written bytes to the storage device (before a rename makes them final).
  void Sync();
  // Closes the file; a failing close is a write error. Does nothing when already closed.
  void Close();

 private:
  [[noreturn]] void FailRead(const char* what) const;
  [[noreturn]] void FailWrite() const;

  std::string path_;
  int fd_ = -1;
  std::uint64_t position_ = 0;
};

}  // namespace cz
