#include "platform/path.h"

namespace platform {

std::string NativePath(std::string_view windows_path) { return std::string(windows_path); }

}  // namespace platform
