// DES key expansion: an 8-byte key into the 16 round keys of des_block.h.
#pragma once

#include <cstdint>
#include <span>

#include "cardlib/cipher/des_block.h"

namespace corvex {

enum class DesKeyOrder {
  Encrypt,  // round keys 1 to 16
  Decrypt,  // round keys 16 to 1
};

// Expands `key` (key byte 0 holds key bits 1-8; the parity bits 8, 16, ...,
// 64 are ignored) into round keys in the given order.
void ExpandDesKey(std::span<const std::uint8_t, 8> key, DesKeyOrder order, DesKeySchedule& schedule);

}  // namespace corvex
