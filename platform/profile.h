// Reading one value of a settings file in the Windows profile format:
// "[Section]" lines, then "key=value" lines.
//
// Windows: GetPrivateProfileStringA. POSIX: the file is read and searched by
// ProfileLookup() below (sections and keys compared without regard to case,
// blanks around keys and values dropped, the first match wins).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The value of `key` in `section` of the file `path` (a Windows-style name
// such as ".\Pellam.ini"), cut to `capacity` - 1 bytes; `fallback` when the
// file, the section or the key is missing.
std::string ReadProfileString(const char* path, const char* section, const char* key, const char* fallback,
                              std::size_t capacity);

// The value of `key` in `section` of the profile text, or nullopt.
std::optional<std::string> ProfileLookup(std::string_view text, std::string_view section, std::string_view key);

}  // namespace platform
