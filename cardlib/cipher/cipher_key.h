// What a CipherKey holds, and how init reads a key format from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cardlib/cipher/cipher.h"

namespace corvex {

inline constexpr std::size_t kDesKeyBytes = 8;
inline constexpr std::size_t kDesEdeKeyBytes = 24;

struct CipherKey {
  std::size_t length = 0;  // 0 while empty, else 8 or 24
  std::array<std::uint8_t, kDesEdeKeyBytes> bytes{};
};

// The stored bytes in `format`: KeyBytes as loaded, DesKey8 and DesEdeKey24
// only when the stored length is 8 or 24 (else WrongKeyLength). An empty
// holder gives KeyEmpty.
CipherResult ReadKeyFormat(const CipherKey& key, CipherKeyFormat format, std::span<const std::uint8_t>& bytes);

}  // namespace corvex
