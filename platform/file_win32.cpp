// Win32 files: CreateFileA with share mode 0, so no other handle to the file
// can be opened while this one is.
#include <windows.h>
#undef ReplaceFile  // a <windows.h> macro for ReplaceFileA; this file defines platform::ReplaceFile

#include <string>

#include "platform/file.h"
#include "platform/file_faults.h"

namespace platform {

namespace {

HANDLE Native(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

using file_faults::Op;
using file_faults::Verdict;

bool WriteAll(FileHandle file, const char* bytes, std::size_t size) {
  while (size > 0) {
    const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(Native(file), bytes, ask, &written, nullptr) || written == 0) return false;
    file_faults::RecordWritten(written);
    bytes += written;
    size -= written;
  }
  return true;
}

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
  if (file_faults::Check(Op::Read) != Verdict::Proceed) return false;
  const DWORD ask = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!::ReadFile(Native(file), data, ask, &read, nullptr)) return false;
  got = read;
  return true;
}

bool WriteToFile(FileHandle file, const void* data, std::size_t size) {
  return file_faults::Write(file, static_cast<const char*>(data), size, WriteAll);
}

bool TruncateFile(FileHandle file, std::uint64_t length) {
  if (file_faults::Check(Op::Truncate) != Verdict::Proceed) return false;
  LARGE_INTEGER here{};
  LARGE_INTEGER zero{};
  if (!::SetFilePointerEx(Native(file), zero, &here, FILE_CURRENT)) return false;
  if (!SeekFile(file, length)) return false;
  const bool cut = ::SetEndOfFile(Native(file)) != 0;
  const bool back = ::SetFilePointerEx(Native(file), here, nullptr, FILE_BEGIN) != 0;
  return cut && back;
}

bool FlushFile(FileHandle file) {
  if (file_faults::Check(Op::Flush) != Verdict::Proceed) return false;
  return ::FlushFileBuffers(Native(file)) != 0;
}

bool RemoveFile(const char* path) {
  if (file_faults::Check(Op::Remove) != Verdict::Proceed) return false;
  return ::DeleteFileA(path) != 0;
}

bool ReplaceFile(const char* from, const char* to) {
  return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool PathExists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The name comes back in its "\\?\" form, which every file call accepts and
// which is not limited to MAX_PATH characters.
std::optional<std::string> PathOfFile(FileHandle file) {
  std::string path(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = ::GetFinalPathNameByHandleA(Native(file), path.data(), static_cast<DWORD>(path.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.assign(length + 1, '\0');  // too small: `length` is the size needed
  }
  return std::nullopt;
}

// NTFS records a new folder entry in its own journal, and Windows offers no
// flush of a folder to an ordinary program: FlushFileBuffers on the file is
// all there is.
bool FlushFolderOf(const char* /*path*/) { return true; }

}  // namespace platform
