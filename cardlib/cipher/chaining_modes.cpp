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

DesBlockPair LoadPair(const std::uint8_t* bytes) { return {LoadBlock(bytes), LoadBlock(bytes + kCipherBlockSize)}; }

void StorePair(const DesBlockPair& pair, std::uint8_t* bytes) {
  StoreBlock(pair[0], bytes);
  StoreBlock(pair[1], bytes + kCipherBlockSize);
}

void ProcessEcb(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  for (; blocks >= 2; blocks -= 2, input += kPairSize, output += kPairSize) {
    DesBlockPair pair = LoadPair(input);
    cipher.crypt_two_blocks(run.keys, pair);
    StorePair(pair, output);
  }
  if (blocks == 1) StoreBlock(cipher.crypt_block(run.keys, LoadBlock(input)), output);
}

// C = E(P xor chain); the ciphertext block becomes the chaining value. Each
// block needs the one before, so they go one at a time.
void ProcessCbcEncrypt(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  DesBlock chain = run.chain;
  for (std::size_t i = 0; i < blocks; ++i, input += kCipherBlockSize, output += kCipherBlockSize) {
    chain = cipher.crypt_block(run.keys, LoadBlock(input) ^ chain);
    StoreBlock(chain, output);
  }
  run.chain = chain;
}

// P = D(C) xor chain; the ciphertext block becomes the chaining value.
void ProcessCbcDecrypt(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  DesBlock chain = run.chain;
  for (; blocks >= 2; blocks -= 2, input += kPairSize, output += kPairSize) {
    const DesBlockPair enciphered = LoadPair(input);
    DesBlockPair pair = enciphered;
    cipher.crypt_two_blocks(run.keys, pair);
    StorePair({pair[0] ^ chain, pair[1] ^ enciphered[0]}, output);
    chain = enciphered[1];
  }
  if (blocks == 1) {
    const DesBlock enciphered = LoadBlock(input);
    StoreBlock(cipher.crypt_block(run.keys, enciphered) ^ chain, output);
    chain = enciphered;
  }
  run.chain = chain;
}

}  // namespace

constinit const ChainingModeImpl kEcbMode = {ProcessEcb};
constinit const ChainingModeImpl kCbcEncryptMode = {ProcessCbcEncrypt};
constinit const ChainingModeImpl kCbcDecryptMode = {ProcessCbcDecrypt};

}  // namespace corvex
