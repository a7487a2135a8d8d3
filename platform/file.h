// Files opened without sharing.
//
// The libraries keep their data files open "without sharing": while one handle
// is open, every other open of the same file, by this process or another,
// fails. On Windows that is share mode 0; on POSIX it is an exclusive,
// non-blocking flock() taken at open and held until the handle is closed.
//
// A handle is a plain integer so that it can cross a C boundary as the
// libraries' documented 32-bit handle. Windows kernel handles only use their
// low 32 bits, and POSIX descriptors are small ints, so the round trip through
// int32_t is exact on both systems.
//
// Reads, writes, truncations, flushes and removals pass the test hook of
// platform/file_faults.h, which does nothing unless a test arms it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

enum class FileOpen {
  ReadShared,         // read only, others may read too but nobody may hold it
                      // without sharing; fails when the file is missing
  ReadExisting,       // read only; fails when the file is missing
  ReadWriteExisting,  // read and write; fails when the file is missing
  WriteCreate,        // write only; created when missing, never emptied
  ReadWriteCreate,    // read and write; created when missing, never emptied
};

// Opens `path`, without sharing unless ReadShared; kInvalidFile on any failure (missing file,
// held by another handle, no permission).
FileHandle OpenFile(const char* path, FileOpen how);

// Closes the handle and releases the no-sharing hold; kInvalidFile is ignored.
void CloseFile(FileHandle file);

// The file's current length in bytes.
bool FileSize(FileHandle file, std::uint64_t& size);

// Moves the file position to `offset` bytes from the start.
bool SeekFile(FileHandle file, std::uint64_t offset);

// Reads up to `size` bytes at the current position; `got` is 0 at end of file.
bool ReadFromFile(FileHandle file, void* data, std::size_t size, std::size_t& got);

// Writes all `size` bytes at the current position (retrying short writes).
bool WriteToFile(FileHandle file, const void* data, std::size_t size);

// Cuts (or extends) the file to `length` bytes; the position is unchanged.
bool TruncateFile(FileHandle file, std::uint64_t length);

// Pushes written data to the storage device.
bool FlushFile(FileHandle file);

// Deletes a file by name; false when it could not be deleted (or is missing).
bool RemoveFile(const char* path);

// Renames `from` to `to`, replacing `to` when it exists, in one step: a
// reader of `to` sees the old file or the new one, never a mixture.
bool ReplaceFile(const char* from, const char* to);

// True when a file (or anything else) exists at `path`.
bool PathExists(const char* path);

// The full path of the open file, usable to name another file beside it;
// nothing when the system cannot tell (or the file no longer has that name).
std::optional<std::string> PathOfFile(FileHandle file);

// Makes the folder entry of a newly created `path` durable, so that a file
// flushed with FlushFile is also found after a power loss.
bool FlushFolderOf(const char* path);

// Owns a handle and closes it when it goes out of scope.
class UniqueFile {
 public:
  UniqueFile() = default;
  explicit UniqueFile(FileHandle file) : file_(file) {}
  UniqueFile(const UniqueFile&) = delete;
  UniqueFile& operator=(const UniqueFile&) = delete;
  UniqueFile(UniqueFile&& other) noexcept : file_(other.release()) {}
  UniqueFile& operator=(UniqueFile&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueFile() { reset(); }

  FileHandle get() const { return file_; }
  bool valid() const { return file_ != kInvalidFile; }
  FileHandle release() {
    FileHandle file = file_;
    file_ = kInvalidFile;
    return file;
  }
  void reset(FileHandle file = kInvalidFile) {
    if (file_ != kInvalidFile) CloseFile(file_);
    file_ = file;
  }

 private:
  FileHandle file_ = kInvalidFile;
};

}  // namespace platform
