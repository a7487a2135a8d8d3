// ECB and CBC (NIST SP 800-38A) over whole blocks. The block cipher is the
// one init chose; its round keys already carry the direction.
//
// Where blocks do not depend on each other (ECB both ways, CBC decryption)
// they go through the cipher two at a time, which lets the processor overlap
// their table look-ups.
#include "cardlib/cipher/cipher_context.h"

namespace corvex {

namespace {

constexpr std::size_t kPairSize = 2 * kCipherBlockSize;

void LoadPair(const std::uint8_t* input, DesBlockPair& words) {
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = LoadBigEndian32(input + 4 * i);
}

void StorePair(const DesBlockPair& words, std::uint8_t* output) {
  for (std::size_t i = 0; i < words.size(); ++i) StoreBigEndian32(words[i], output + 4 * i);
}

void ProcessEcb(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  for (; blocks >= 2; blocks -= 2, input += kPairSize, output += kPairSize) {
    DesBlockPair words;
    LoadPair(input, words);
    cipher.crypt_two_blocks(run.keys, words);
    StorePair(words, output);
  }
  if (blocks == 1) {
    std::uint32_t high = LoadBigEndian32(input);
    std::uint32_t low = LoadBigEndian32(input + 4);
    cipher.crypt_block(run.keys, high, low);
    StoreBigEndian32(high, output);
    StoreBigEndian32(low, output + 4);
  }
}

// C = E(P xor chain); the ciphertext block becomes the chaining value. Each
// block needs the one before, so they go one at a time.
void ProcessCbcEncrypt(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  std::uint32_t high = run.chain[0];
  std::uint32_t low = run.chain[1];
  for (std::size_t i = 0; i < blocks; ++i, input += kCipherBlockSize, output += kCipherBlockSize) {
    high ^= LoadBigEndian32(input);
    low ^= LoadBigEndian32(input + 4);
    cipher.crypt_block(run.keys, high, low);
    StoreBigEndian32(high, output);
    StoreBigEndian32(low, output + 4);
  }
  run.chain = {high, low};
}

// P = D(C) xor chain; the ciphertext block becomes the chaining value.
void ProcessCbcDecrypt(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  std::array<std::uint32_t, 2> chain = run.chain;
  for (; blocks >= 2; blocks -= 2, input += kPairSize, output += kPairSize) {
    DesBlockPair enciphered;
    LoadPair(input, enciphered);
    DesBlockPair words = enciphered;
    cipher.crypt_two_blocks(run.keys, words);
    words[0] ^= chain[0];
    words[1] ^= chain[1];
    words[2] ^= enciphered[0];
    words[3] ^= enciphered[1];
    StorePair(words, output);
    chain = {enciphered[2], enciphered[3]};
  }
  if (blocks == 1) {
    const std::array<std::uint32_t, 2> enciphered = {LoadBigEndian32(input), LoadBigEndian32(input + 4)};
    std::uint32_t high = enciphered[0];
    std::uint32_t low = enciphered[1];
    cipher.crypt_block(run.keys, high, low);
    StoreBigEndian32(high ^ chain[0], output);
    StoreBigEndian32(low ^ chain[1], output + 4);
    chain = enciphered;
  }
  run.chain = chain;
}

}  // namespace

constinit const ChainingModeImpl kEcbMode = {ProcessEcb};
constinit const ChainingModeImpl kCbcEncryptMode = {ProcessCbcEncrypt};
constinit const ChainingModeImpl kCbcDecryptMode = {ProcessCbcDecrypt};

}  // namespace corvex
