// Helpers for the cipher-layer tests: runs of the layer's calls the way the
// card library makes them.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>

#include "cardlib/cipher/cipher.h"
#include "tests/support/reader_frames.h"

namespace cipher_test {

using testing_support::Bytes;
using testing_support::Hex;

enum class Direction { Encrypt, Decrypt };

// A key holder and a context, created for a test and destroyed with it.
struct CipherObjects {
  CipherObjects();
  ~CipherObjects();
  CipherObjects(const CipherObjects&) = delete;
  CipherObjects& operator=(const CipherObjects&) = delete;

  corvex::CipherKey* key = nullptr;
  corvex::CipherContext* context = nullptr;
};

// The objects of one run in one direction; each call is the layer's call for
// that direction.
class CipherRun {
 public:
  explicit CipherRun(Direction direction) : direction_(direction) {}

  // Loads the key, configures the context and initialises it in the card
  // library's combination for the key: DES in CBC with `vector` for 8 bytes,
  // triple DES in ECB for 24. The first failure, or Ok.
  corvex::CipherResult Start(std::span<const std::uint8_t> key, std::span<const std::uint8_t> vector);
  corvex::CipherResult Init(const corvex::CipherImplList& impls);
  corvex::CipherResult Update(std::span<std::uint8_t> output, std::size_t& length, std::span<const std::uint8_t> input);
  corvex::CipherResult Final(std::span<std::uint8_t> output, std::size_t& length);

  CipherObjects objects;

 private:
  Direction direction_;
};

struct Outcome {
  corvex::CipherResult result;  // the first failure, or Ok
  Bytes output;                 // what update and final wrote
  bool operator==(const Outcome&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Outcome& outcome);

// Start, one update with the whole input into a
// buffer of the input length plus 8, one final into the rest.
Outcome RunOnce(std::span<const std::uint8_t> key, std::span<const std::uint8_t> vector, Direction direction,
                std::span<const std::uint8_t> input);

// CipherSpec values of the card library's two combinations.
corvex::CipherSpec EdeEcbSpec();
corvex::CipherSpec DesCbcSpec(std::span<const std::uint8_t> vector);

}  // namespace cipher_test
