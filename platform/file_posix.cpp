// POSIX files: open(2) plus an exclusive flock(2) held for the handle's life.
// flock() locks belong to the open file description, so a second open of the
// same file by this very process conflicts too, as share mode 0 does on
// Windows.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include "platform/file.h"
#include "platform/file_faults.h"

namespace platform {

namespace {

int OpenFlags(FileOpen how) {
  switch (how) {
    case FileOpen::ReadShared:
    case FileOpen::ReadExisting: return O_RDONLY;
    case FileOpen::ReadWriteExisting: return O_RDWR;
    case FileOpen::WriteCreate: return O_WRONLY | O_CREAT;
    case FileOpen::ReadWriteCreate: return O_RDWR | O_CREAT;
  }
  return O_RDONLY;
}

int Fd(FileHandle file) { return static_cast<int>(file); }

using file_faults::Op;
using file_faults::Verdict;

bool WriteAll(FileHandle file, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(Fd(file), bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    file_faults::RecordWritten(static_cast<std::size_t>(n));
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

FileHandle OpenFile(const char* path, FileOpen how) {
  int fd = -1;
  do {
    fd = ::open(path, OpenFlags(how) | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidFile;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
      ::flock(fd, (how == FileOpen::ReadShared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    ::close(fd);
    return kInvalidFile;
  }
  return fd;
}

void CloseFile(FileHandle file) {
  if (file == kInvalidFile) return;
  ::close(Fd(file));  // closing the descriptor releases the lock
}

bool FileSize(FileHandle file, std::uint64_t& size) {
  struct stat info {};
  if (::fstat(Fd(file), &info) != 0) return false;
  size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool SeekFile(FileHandle file, std::uint64_t offset) {
  return ::lseek(Fd(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool ReadFromFile(FileHandle file, void* data, std::size_t size, std::size_t& got) {
  got = 0;
  if (file_faults::Check(Op::Read) != Verdict::Proceed) return false;
  for (;;) {
    const ssize_t n = ::read(Fd(file), data, size);
    if (n >= 0) {
      got = static_cast<std::size_t>(n);
      return true;
    }
    if (errno != EINTR) return false;
  }
}

bool WriteToFile(FileHandle file, const void* data, std::size_t size) {
  return file_faults::Write(file, static_cast<const char*>(data), size, WriteAll);
}

bool TruncateFile(FileHandle file, std::uint64_t length) {
  if (file_faults::Check(Op::Truncate) != Verdict::Proceed) return false;
  return ::ftruncate(Fd(file), static_cast<off_t>(length)) == 0;
}

bool FlushFile(FileHandle file) {
  if (file_faults::Check(Op::Flush) != Verdict::Proceed) return false;
  return ::fsync(Fd(file)) == 0;
}

bool RemoveFile(const char* path) {
  if (file_faults::Check(Op::Remove) != Verdict::Proceed) return false;
  return ::unlink(path) == 0;
}

bool ReplaceFile(const char* from, const char* to) { return ::rename(from, to) == 0; }

bool PathExists(const char* path) {
  struct stat info {};
  return ::stat(path, &info) == 0;
}

// The kernel keeps the name each descriptor was opened by; it is trusted only
// while that name still leads to the same file.
std::optional<std::string> PathOfFile(FileHandle file) {
  const std::string link = "/proc/self/fd/" + std::to_string(Fd(file));
  char target[PATH_MAX];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target - 1 || target[0] != '/') {
    return std::nullopt;
  }
  target[length] = '\0';
  struct stat opened {};
  struct stat named {};
  if (::fstat(Fd(file), &opened) != 0 || ::stat(target, &named) != 0 || !SameFile(opened, named)) {
    return std::nullopt;
  }
  return std::string(target, static_cast<std::size_t>(length));
}

bool FlushFolderOf(const char* path) {
  const std::string name(path);
  const std::size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : name.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = ::fsync(fd) == 0;
  ::close(fd);
  return flushed;
}

}  // namespace platform
