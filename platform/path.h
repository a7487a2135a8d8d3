// File names written the Windows way (".\backup\x.csv"), for the system's
// file calls.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows: the name unchanged. POSIX: every backslash becomes a slash.
std::string NativePath(std::string_view windows_path);

}  // namespace platform
