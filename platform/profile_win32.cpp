#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace platform {

std::string ReadProfileString(const char* path, const char* section, const char* key, const char* fallback,
                              std::size_t capacity) {
  if (capacity == 0) return {};
  std::vector<char> buffer(capacity, '\0');
  const DWORD length =
      ::GetPrivateProfileStringA(section, key, fallback, buffer.data(), static_cast<DWORD>(capacity), path);
  return std::string(buffer.data(), length);
}

}  // namespace platform
