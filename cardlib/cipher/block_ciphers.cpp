// The two block ciphers that implementation lists offer: single DES and
// triple DES (encrypt-decrypt-encrypt).
#include <algorithm>

#include "cardlib/cipher/cipher_impls.h"
#include "cardlib/cipher/des_key_schedule.h"

namespace corvex {

namespace {

constexpr std::size_t kDesKeyLength = 8;

DesKeyOrder Order(CipherDirection direction) {
  return direction == CipherDirection::Encrypt ? DesKeyOrder::Encrypt : DesKeyOrder::Decrypt;
}

DesKeyOrder Reverse(DesKeyOrder order) {
  return order == DesKeyOrder::Encrypt ? DesKeyOrder::Decrypt : DesKeyOrder::Encrypt;
}

void ExpandDes(std::span<const std::uint8_t> key, CipherDirection direction, CipherRoundKeys& keys) {
  ExpandDesKey(key.first<kDesKeyLength>(), Order(direction), keys[0]);
}

// Encryption is E(K3, D(K2, E(K1, x))): K1, K2, K3 in encryption, decryption,
// encryption order. Decryption is D(K1, E(K2, D(K3, y))): K3, K2, K1 in
// decryption, encryption, decryption order. With K3 = K1, as two-key triple
// DES passes it, the first pass's schedule serves the third as well.
void ExpandDesEde(std::span<const std::uint8_t> key, CipherDirection direction, CipherRoundKeys& keys) {
  const auto k1 = key.subspan<0, kDesKeyLength>();
  const auto k2 = key.subspan<kDesKeyLength, kDesKeyLength>();
  const auto k3 = key.subspan<2 * kDesKeyLength, kDesKeyLength>();
  const DesKeyOrder outer = Order(direction);
  const bool encrypt = direction == CipherDirection::Encrypt;
  ExpandDesKey(encrypt ? k1 : k3, outer, keys[0]);
  ExpandDesKey(k2, Reverse(outer), keys[1]);
  if (std::equal(k1.begin(), k1.end(), k3.begin())) {
    keys[2] = keys[0];
  } else {
    ExpandDesKey(encrypt ? k3 : k1, outer, keys[2]);
  }
}

}  // namespace

constinit const BlockCipherImpl kDesCipher = {kDesKeyLength, ExpandDes, DesCryptBlock, DesCryptTwoBlocks};
constinit const BlockCipherImpl kDesEdeCipher = {3 * kDesKeyLength, ExpandDesEde, TripleDesCryptBlock,
                                                 TripleDesCryptTwoBlocks};

}  // namespace corvex
