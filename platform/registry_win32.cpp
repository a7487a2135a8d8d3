// The Windows registry: values read with query access (or full access where
// the caller asks), and a DWORD set on a key that exists already.
#include <windows.h>

#include <new>

#include "platform/registry.h"

namespace platform {

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

RegistryType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return RegistryType::String;
    case REG_EXPAND_SZ: return RegistryType::ExpandString;
    case REG_DWORD: return RegistryType::Dword;
    case REG_BINARY: return RegistryType::Binary;
    default: return RegistryType::Other;
  }
}

}  // namespace

std::optional<RegistryValue> ReadRegistryValue(RegistryRoot root, const char* key, const char* name,
                                               RegistryAccess access) {
  if (key == nullptr || name == nullptr) return std::nullopt;
  const REGSAM rights = access == RegistryAccess::Full ? KEY_ALL_ACCESS : KEY_QUERY_VALUE;
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(RootKey(root), key, 0, rights, &opened) != ERROR_SUCCESS) return std::nullopt;
  std::optional<RegistryValue> result;
  try {
    // The value may grow between the size query and the read; ask again then.
    for (int attempt = 0; attempt < 4 && !result; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      if (::RegQueryValueExA(opened, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
      RegistryValue value;
      value.data.resize(size);
      const LONG read =
          ::RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data.data()), &size);
      if (read == ERROR_MORE_DATA) continue;
      if (read != ERROR_SUCCESS) break;
      value.data.resize(size);
      value.type = TypeOf(type);
      result = std::move(value);
    }
  } catch (const std::bad_alloc&) {
    result.reset();
  }
  ::RegCloseKey(opened);
  return result;
}

bool WriteRegistryDword(RegistryRoot root, const char* key, const char* name, std::uint32_t value) {
  if (key == nullptr || name == nullptr) return false;
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(RootKey(root), key, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return false;
  const DWORD stored = value;
  const LONG set = ::RegSetValueExA(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
  ::RegCloseKey(opened);
  return set == ERROR_SUCCESS;
}

}  // namespace platform
