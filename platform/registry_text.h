// The registry editor's export format, as used by the registry stand-in.
//
//   Windows Registry Editor Version 5.00        (or: REGEDIT4)
//
//   ; a comment
//   [HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\Ser2dw\Enum]
//   "0"="USB\\VID_1234&PID_5678\\5&1"
//   "Count"=dword:00000001
//   @="the key's default value"
//
// Strings take the escapes \\ and \". Also understood: hex:aa,bb,... (binary;
// hex(2): an expandable string, other hex(n): other types; a trailing
// backslash continues the list on the next line), "name"=- (removes the
// value), and [-ROOT\path] (removes the key and every key below it). Roots are
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (HKLM and HKCU also accepted); keys
// under other roots are skipped. Key paths and value names match without
// regard to ASCII case, as in the real registry. A later line for the same
// value replaces the earlier one. Lines that cannot be understood are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace platform {

class RegistryText {
 public:
  // Parses a whole file; text that does not begin with one of the two header
  // lines (after an optional UTF-8 byte-order mark and blank lines) gives an
  // empty registry.
  static RegistryText Parse(std::string_view text);

  // The value, or nullptr when the key or the value is missing.
  const RegistryValue* Find(RegistryRoot root, std::string_view key, std::string_view name) const;

  // The file `text` with the value `name` of `key` set to the DWORD `value`:
  // the value's line in the key's last section replaced, or a new line put
  // right after that section's heading; every other line kept as it was.
  // nullopt when the text is no registry file or the key is not in it.
  static std::optional<std::string> WithDword(std::string_view text, RegistryRoot root, std::string_view key,
                                              std::string_view name, std::uint32_t value);

  // Every value of one key as (name, value), in the order of the file.
  std::vector<std::pair<std::string, RegistryValue>> ValuesOf(RegistryRoot root, std::string_view key) const;

 private:
  struct Entry {
    RegistryRoot root;
    std::string key;
    std::string name;
    RegistryValue value;
  };

  void Set(RegistryRoot root, std::string_view key, std::string name, RegistryValue value);
  void RemoveValue(RegistryRoot root, std::string_view key, std::string_view name);
  void RemoveKey(RegistryRoot root, std::string_view key);

  std::vector<Entry> entries_;
};

}  // namespace platform
