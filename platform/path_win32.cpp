#include <windows.h>

#include "platform/path.h"

namespace platform {

std::string NativePath(std::string_view windows_path) { return std::string(windows_path); }

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  // The size asked first includes the terminating zero; the copy's excludes it.
  const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::string full(needed, '\0');
  const DWORD copied = ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
  if (copied == 0 || copied >= needed) return path;
  full.resize(copied);
  return full;
}

bool ChangeCurrentFolder(const char* folder) { return folder != nullptr && ::SetCurrentDirectoryA(folder) != 0; }

}  // namespace platform
