// The two cipher operations the reader performs, over the shared cipher layer.
#pragma once

#include <cstdint>
#include <span>

#include "readersim/keys.h"

namespace readersim {

// Two-key triple DES (key A, B, A) in ECB mode over whole 8-byte blocks.
// `in` and `out` have the same length; false when the cipher layer refuses.
bool TripleDesEcb(bool encrypt, const Block8& a, const Block8& b, std::span<const std::uint8_t> in,
                  std::span<std::uint8_t> out);

// Single DES in CBC mode with an all-zero initial vector, whole blocks.
bool DesCbc(bool encrypt, const Block8& key, std::span<const std::uint8_t> in, std::span<std::uint8_t> out);

}  // namespace readersim
