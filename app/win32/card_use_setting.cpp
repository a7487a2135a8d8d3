#include "app/win32/card_use_setting.h"

#include <windows.h>

namespace pellam_win32 {

namespace {

constexpr const char* kKey = "SOFTWARE\\VORAN\\VORAN Tollmark";
constexpr const char* kValue = "cardtype";

}  // namespace

std::uint32_t ReadCardUse() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG result = ::RegQueryValueExA(key, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS || value > 1) return 0;
  return value;
}

bool WriteCardUse(std::uint32_t card_use) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
  const DWORD value = card_use;
  const LONG result = ::RegSetValueExA(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

}  // namespace pellam_win32
