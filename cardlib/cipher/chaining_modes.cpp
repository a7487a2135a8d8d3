// ECB and CBC (NIST SP 800-38A) over whole blocks. The block cipher is the
// one init chose; its round keys already carry the direction.
#include "cardlib/cipher/cipher_context.h"

namespace corvex {

namespace {

void ProcessEcb(CipherRun& run, const std::uint8_t* input, std::uint8_t* output, std::size_t blocks) {
  const BlockCipherImpl& cipher = *run.cipher;
  for (std::size_t i = 0; i < blocks; ++i, input += kCipherBlockSize, output += kCipherBlockSize) {
    std::uint32_t high = LoadBigEndian32(input);
    std::uint32_t low = LoadBigEndian32(input + 4);
    cipher.crypt_block(run.keys, high, low);
    StoreBigEndian32(high, output);
    StoreBigEndian32(low, output + 4);
  }
}

// C = E(P xor chain); the ciphertext block becomes the chaining value.
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
  std::uint32_t chain_high = run.chain[0];
  std::uint32_t chain_low = run.chain[1];
  for (std::size_t i = 0; i < blocks; ++i, input += kCipherBlockSize, output += kCipherBlockSize) {
    const std::uint32_t cipher_high = LoadBigEndian32(input);
    const std::uint32_t cipher_low = LoadBigEndian32(input + 4);
    std::uint32_t high = cipher_high;
    std::uint32_t low = cipher_low;
    cipher.crypt_block(run.keys, high, low);
    StoreBigEndian32(high ^ chain_high, output);
    StoreBigEndian32(low ^ chain_low, output + 4);
    chain_high = cipher_high;
    chain_low = cipher_low;
  }
  run.chain = {chain_high, chain_low};
}

}  // namespace

constinit const ChainingModeImpl kEcbMode = {ProcessEcb};
constinit const ChainingModeImpl kCbcEncryptMode = {ProcessCbcEncrypt};
constinit const ChainingModeImpl kCbcDecryptMode = {ProcessCbcDecrypt};

}  // namespace corvex
