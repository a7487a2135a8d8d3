// What a CipherContext holds. Internal to the layer: callers see only the
// handle type of cipher.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cardlib/cipher/cipher_impls.h"

namespace corvex {

inline constexpr std::size_t kCipherBlockSize = 8;  // both DES and triple DES

// One run in one direction: what init chose and set up, and the mode state.
struct CipherRun {
  CipherDirection direction = CipherDirection::Encrypt;
  const BlockCipherImpl* cipher = nullptr;
  const ChainingModeImpl* mode = nullptr;
  CipherRoundKeys keys{};
  DesBlock vector{};                                     // CBC: the initialisation vector
  DesBlock chain{};                                      // CBC: the running chaining value
  std::array<std::uint8_t, kCipherBlockSize> pending{};  // input of a block split across updates
  std::size_t pending_count = 0;
};

struct CipherContext {
  bool configured = false;
  bool initialised = false;
  // Copied by CipherContextSetSpec: the looked-up names and the mode parameter.
  CipherAlgorithm cipher = CipherAlgorithm::Des;
  CipherAlgorithm mode = CipherAlgorithm::Ecb;
  std::size_t mode_block_size = 0;                      // ECB: the block-size parameter; CBC: the vector's length
  std::array<std::uint8_t, kCipherBlockSize> vector{};  // CBC: the vector, when it is one block long
  CipherRun run;
};

}  // namespace corvex
