// Implementation lists: the ciphers and chaining modes a context can choose
// from at init, and what each needs.
//
// Init walks a list in order and takes the first entry of the configured
// algorithm and the requested direction that can use the key (cipher
// entries) or the first such entry at all (mode entries).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cardlib/cipher/cipher.h"
#include "cardlib/cipher/des_block.h"

namespace corvex {

enum class CipherAlgorithm : std::uint8_t { Ecb, Cbc, Des, DesEde };
enum class CipherDirection : std::uint8_t { Encrypt, Decrypt };

// Round keys for up to three DES passes, in the order the passes run them;
// single DES uses only the first.
using CipherRoundKeys = DesPassKeys;

struct BlockCipherImpl {
  std::size_t key_length;  // key bytes the cipher expands: 8 or 24
  // Expands `key` into round keys for `direction`.
  void (*expand_key)(std::span<const std::uint8_t> key, CipherDirection direction, CipherRoundKeys& keys);
  // Runs one block through the passes.
  DesBlock (*crypt_block)(const CipherRoundKeys& keys, DesBlock block);
  // Runs two independent blocks at once (ECB, CBC decryption), which is faster.
  void (*crypt_two_blocks)(const CipherRoundKeys& keys, DesBlockPair& blocks);
};

struct CipherRun;  // cipher_context.h

struct ChainingModeImpl {
  // Runs `blocks` whole blocks from `input` to `output` in the run's direction,
  // advancing its chaining value.
  void (*process_blocks)(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks);
};

struct CipherImplEntry {
  CipherAlgorithm algorithm;
  CipherDirection direction;
  CipherKeyFormat key_format;     // what a cipher entry needs from the key
  const BlockCipherImpl* cipher;  // set for Des and DesEde entries
  const ChainingModeImpl* mode;   // set for Ecb and Cbc entries
};

struct CipherImplList {
  std::span<const CipherImplEntry> entries;
};

extern const BlockCipherImpl kDesCipher;
extern const BlockCipherImpl kDesEdeCipher;
extern const ChainingModeImpl kEcbMode;
extern const ChainingModeImpl kCbcEncryptMode;
extern const ChainingModeImpl kCbcDecryptMode;

}  // namespace corvex
