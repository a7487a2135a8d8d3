// The key sets the library holds: the reader's session keys S1..S3, the
// provisioning keys P1..P3 a blank reader accepts, and the eleven card keys
// registered into the reader's key slots 0..10 (slot 0 is key B of every
// service, slots 1..10 the services' key A).
//
// The values live in one source file: the site's own, named by the CMake
// option CORVEX_SITE_KEY_FILE (scripts/make-site-keys writes it), or
// development_keys.cpp in test builds and where asked for by name. Whoever
// copies a key out of these constants wipes the copy after use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvex {

inline constexpr std::size_t kDesKeySize = 8;
inline constexpr std::size_t kCardKeyCount = 11;
inline constexpr std::size_t kCardKeyBlockSize = kCardKeyCount * kDesKeySize;  // 88 bytes

struct ReaderKeySet {
  std::uint8_t keys[3][kDesKeySize];  // K1, K2, K3
};

struct KeyMaterial {
  ReaderKeySet session;
  ReaderKeySet provisioning;
  std::uint8_t card[kCardKeyCount][kDesKeySize];  // by key slot
};

// The keys compiled into this build.
const KeyMaterial& CompiledKeys();

}  // namespace corvex
