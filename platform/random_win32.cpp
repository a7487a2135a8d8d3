// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <cstdint>

#include "platform/random.h"

namespace platform {

bool FillRandom(void* data, std::size_t size) {
  auto* bytes = static_cast<std::uint8_t*>(data);
  while (size > 0) {
    const ULONG chunk = size > 0x10000000 ? 0x10000000 : static_cast<ULONG>(size);
    if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, bytes, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG))) return false;
    bytes += chunk;
    size -= chunk;
  }
  return true;
}

}  // namespace platform
