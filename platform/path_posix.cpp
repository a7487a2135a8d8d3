#include <unistd.h>

#include <climits>

#include "platform/path.h"

namespace platform {

std::string NativePath(std::string_view windows_path) {
  std::string path(windows_path);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string FullPath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  char folder[PATH_MAX];
  if (::getcwd(folder, sizeof folder) == nullptr) return path;
  return std::string(folder) + "/" + path;
}

bool ChangeCurrentFolder(const char* folder) { return folder != nullptr && ::chdir(folder) == 0; }

}  // namespace platform
