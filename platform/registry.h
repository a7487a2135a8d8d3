// Access to the system registry: reading any value, and setting a 4-byte
// value of a key that exists already.
//
// Windows: the real registry; a key is opened with query access for reads
// (RegOpenKeyExA with KEY_QUERY_VALUE), or with full access (KEY_ALL_ACCESS)
// where the caller asks for it, and read with RegQueryValueExA; a value is set
// with RegSetValueExA on a key opened with full access, never creating it.
//
// Elsewhere: a stand-in, one text file in the format the Windows registry
// editor exports (registry_text.h), read afresh on every query so that edits
// take effect at once. Its path is the environment variable PELLAM_REGISTRY,
// else $XDG_CONFIG_HOME/pellam/registry.reg, else
// $HOME/.config/pellam/registry.reg. A missing or unreadable file is an empty
// registry. A value set there rewrites the whole file through a side file
// and a rename, so a reader never sees half a file; a missing file or key
// stays missing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

enum class RegistryAccess { Query, Full };

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
std::optional<RegistryValue> ReadRegistryValue(RegistryRoot root, const char* key, const char* name,
                                               RegistryAccess access = RegistryAccess::Query);

// Sets `name` of the existing key `key` to the DWORD `value` (REG_DWORD, 4
// bytes). False when the key cannot be opened with full access (or is
// missing) or the value cannot be set.
bool WriteRegistryDword(RegistryRoot root, const char* key, const char* name, std::uint32_t value);

}  // namespace platform
