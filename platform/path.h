// File names written the Windows way (".\backup\x.csv"), for the system's
// file calls; full names and the process's current folder.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Windows: the name unchanged. POSIX: every backslash becomes a slash.
std::string NativePath(std::string_view windows_path);

// `path` as a full name: a relative one taken from the current folder
// (GetFullPathNameA; POSIX: the current folder, a slash and the name).
// Unchanged when it is full already or the system cannot tell.
std::string FullPath(const std::string& path);

// Makes `folder` the current folder; false when it is missing or cannot be
// entered.
bool ChangeCurrentFolder(const char* folder);

}  // namespace platform
