// Win32 files: CreateFileA with share mode 0, so no other handle to the file
// can be opened while this one is.
#include <windows.h>

#include "platform/file.h"

namespace platform {

namespace {

HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileHandle OpenFile(const char* path, FileOpen how) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  DWORD share = 0;
  switch (how) {
    case FileOpen::ReadShared: share = FILE_SHARE_READ; break;
    case FileOpen::ReadExisting: break;
    case FileOpen::ReadWriteExisting: access = GENERIC_READ | GENERIC_WRITE; break;
    case FileOpen::WriteCreate:
      access = GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
    case FileOpen::ReadWriteCreate:
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
  }
  HANDLE h = ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kInvalidFile;
  return reinterpret_cast<FileHandle>(h);
}

void CloseFile(FileHandle file) {
  if (file == kInvalidFile) return;
  ::CloseHandle(Native(file));
}

bool FileSize(FileHandle file, std::uint64_t& size) {
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(Native(file), &length)) return false;
  size = static_cast<std::uint64_t>(length.QuadPart);
  return true;
}

bool SeekFile(FileHandle file, std::uint64_t offset) {
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(Native(file), to, nullptr, FILE_BEGIN) != 0;
}

bool ReadFromFile(FileHandle file, void* data, std::size_t size, std::size_t& got) {
  got = 0;
  const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!::ReadFile(Native(file), data, ask, &read, nullptr)) return false;
  got = read;
  return true;
}

bool WriteToFile(FileHandle file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(Native(file), bytes, ask, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

bool TruncateFile(FileHandle file, std::uint64_t length) {
  LARGE_INTEGER here{};
  LARGE_INTEGER zero{};
  if (!::SetFilePointerEx(Native(file), zero, &here, FILE_CURRENT)) return false;
  if (!SeekFile(file, length)) return false;
  const bool cut = ::SetEndOfFile(Native(file)) != 0;
  const bool back = ::SetFilePointerEx(Native(file), here, nullptr, FILE_BEGIN) != 0;
  return cut && back;
}

bool FlushFile(FileHandle file) { return ::FlushFileBuffers(Native(file)) != 0; }

bool RemoveFile(const char* path) { return ::DeleteFileA(path) != 0; }

bool ReplaceFile(const char* from, const char* to) {
  return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool PathExists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace platform
