// The cipher operations of the secured session, over the block-cipher layer:
// two-key triple DES (EDE, key A|B|A) in ECB mode and single DES in CBC mode
// with a zero vector, both without padding (whole 8-byte blocks only).
//
//   secured session -> [session cipher] -> cipher layer
//
// Each call builds its key and context, runs once and destroys both (which
// wipes them); the 24-byte key it assembles is wiped before it returns.
// False on any failure, including a length that is not whole blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvex {

// `out` = triple-DES of `in` under (a, b): a|b|a. `out` and `in` must not
// overlap; `length` a multiple of 8.
bool TripleDesEncrypt(const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* in, std::size_t length,
                      std::uint8_t* out);
bool TripleDesDecrypt(const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* in, std::size_t length,
                      std::uint8_t* out);

// `out` = DES-CBC of `in` under the 8-byte `key`, vector 8 zero bytes.
bool DesCbcEncrypt(const std::uint8_t* key, const std::uint8_t* in, std::size_t length, std::uint8_t* out);
bool DesCbcDecrypt(const std::uint8_t* key, const std::uint8_t* in, std::size_t length, std::uint8_t* out);

}  // namespace corvex
