// Helpers for the cipher-layer tests: hex bytes, and one whole operation run
// the way the card library runs it.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

#include "cardlib/cipher/cipher.h"

namespace corvex {

// Lets GoogleTest print result codes as the hex values the documents use.
void PrintTo(CipherResult result, std::ostream* out);

}  // namespace corvex

namespace cipher_test {

using Bytes = std::vector<std::uint8_t>;

// "01 a2B3" -> {0x01, 0xA2, 0xB3}; spaces are ignored.
Bytes Hex(std::string_view text);

enum class Direction { Encrypt, Decrypt };

struct Outcome {
  corvex::CipherResult result;  // the first failure, or Ok
  Bytes output;                 // what update and final wrote
};

// Create and load a key, create and configure a context, init, one update
// with the whole input into a buffer of the input length plus 8, one final
// into the rest, then destroy both objects.
Outcome RunOnce(const corvex::CipherSpec& cipher_spec, corvex::CipherKeyFormat format,
                std::span<const std::uint8_t> key, const corvex::CipherImplList& impls, Direction direction,
                std::span<const std::uint8_t> input);

// A key holder and a context, created for a test and destroyed with it.
struct CipherObjects {
  CipherObjects();
  ~CipherObjects();
  CipherObjects(const CipherObjects&) = delete;
  CipherObjects& operator=(const CipherObjects&) = delete;

  corvex::CipherKey* key = nullptr;
  corvex::CipherContext* context = nullptr;
};

// CipherSpec values of the card library's two combinations.
corvex::CipherSpec EdeEcbSpec();
corvex::CipherSpec DesCbcSpec(std::span<const std::uint8_t> vector);

}  // namespace cipher_test
