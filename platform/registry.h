// Read-only access to the system registry.
//
// Windows: the real registry; every key is opened with query access only
// (RegOpenKeyExA with KEY_QUERY_VALUE) and read with RegQueryValueExA.
//
// Elsewhere: a stand-in, one text file in the format the Windows registry
// editor exports (registry_text.h), read afresh on every query so that edits
// take effect at once. Its path is the environment variable PELLAM_REGISTRY,
// else $XDG_CONFIG_HOME/pellam/registry.reg, else
// $HOME/.config/pellam/registry.reg. A missing or unreadable file is an empty
// registry.
#pragma once

#include <optional>
#include <string>

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

enum class RegistryType { String, ExpandString, Dword, Binary, Other };

struct RegistryValue {
  RegistryType type = RegistryType::Other;
  // The bytes as stored: a string value ends with its zero byte, a DWORD is
  // four bytes, least significant first.
  std::string data;
};

// The value `name` ("" for the key's default value) of the key `key` (a path
// such as "SYSTEM\CurrentControlSet\Services\X") under `root`. nullopt when
// the key or the value is missing or cannot be read.
std::optional<RegistryValue> ReadRegistryValue(RegistryRoot root, const char* key, const char* name);

}  // namespace platform
