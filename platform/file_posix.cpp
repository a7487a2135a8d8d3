// POSIX files: open(2) plus an exclusive flock(2) held for the handle's life.
// flock() locks belong to the open file description, so a second open of the
// same file by this very process conflicts too, as share mode 0 does on
// Windows.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file.h"

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
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(Fd(file), bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TruncateFile(FileHandle file, std::uint64_t length) {
  return ::ftruncate(Fd(file), static_cast<off_t>(length)) == 0;
}

bool FlushFile(FileHandle file) { return ::fsync(Fd(file)) == 0; }

bool RemoveFile(const char* path) { return ::unlink(path) == 0; }

bool ReplaceFile(const char* from, const char* to) { return ::rename(from, to) == 0; }

bool PathExists(const char* path) {
  struct stat info {};
  return ::stat(path, &info) == 0;
}

}  // namespace platform
