#include "platform/path.h"

namespace platform {

std::string NativePath(std::string_view windows_path) {
  std::string path(windows_path);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace platform
