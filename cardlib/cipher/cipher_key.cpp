// The key holder: loaded once, read back in the form a cipher needs, wiped
// when destroyed.
#include "cardlib/cipher/cipher_key.h"

#include <algorithm>
#include <bit>
#include <new>

#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

// Sets the low bit so that the byte has an odd number of one bits.
std::uint8_t WithOddParity(std::uint8_t byte) {
  const std::uint8_t high_bits = byte & 0xFE;
  return std::popcount(high_bits) % 2 == 0 ? (high_bits | 1) : high_bits;
}

}  // namespace

CipherResult ReadKeyFormat(const CipherKey& key, CipherKeyFormat format, std::span<const std::uint8_t>& bytes) {
  std::size_t needed = 0;
  switch (format) {
    case CipherKeyFormat::KeyBytes: needed = key.length; break;
    case CipherKeyFormat::DesKey8: needed = kDesKeyBytes; break;
    case CipherKeyFormat::DesEdeKey24: needed = kDesEdeKeyBytes; break;
    default: return CipherResult::UnknownKeyFormat;
  }
  if (key.length == 0) return CipherResult::KeyEmpty;
  if (key.length != needed) return CipherResult::WrongKeyLength;
  bytes = std::span<const std::uint8_t>(key.bytes.data(), key.length);
  return CipherResult::Ok;
}

CipherResult CipherKeyCreate(CipherKey** key) {
  if (key == nullptr) return CipherResult::BadKey;
  *key = new (std::nothrow) CipherKey{};
  return *key != nullptr ? CipherResult::Ok : CipherResult::NoMemory;
}

CipherResult CipherKeySet(CipherKey* key, CipherKeyFormat format, std::span<const std::uint8_t> bytes) {
  if (key == nullptr) return CipherResult::BadKey;
  if (key->length != 0) return CipherResult::KeyAlreadySet;
  if (format != CipherKeyFormat::DesKey8 && format != CipherKeyFormat::DesEdeKey24) {
    return CipherResult::UnknownKeyFormat;
  }
  const std::size_t needed = format == CipherKeyFormat::DesKey8 ? kDesKeyBytes : kDesEdeKeyBytes;
  if (bytes.size() != needed) return CipherResult::WrongKeyLength;
  if (format == CipherKeyFormat::DesKey8) {
    std::transform(bytes.begin(), bytes.end(), key->bytes.begin(), WithOddParity);
  } else {
    std::copy(bytes.begin(), bytes.end(), key->bytes.begin());
  }
  key->length = needed;
  return CipherResult::Ok;
}

CipherResult CipherKeyGet(std::span<const std::uint8_t>& bytes, const CipherKey* key, CipherKeyFormat format) {
  if (key == nullptr) return CipherResult::BadKey;
  return ReadKeyFormat(*key, format, bytes);
}

CipherResult CipherKeyDestroy(CipherKey** key) {
  if (key == nullptr) return CipherResult::BadKey;
  if (*key == nullptr) return CipherResult::Ok;
  SecureWipeObject(**key);
  delete *key;
  *key = nullptr;
  return CipherResult::Ok;
}

}  // namespace corvex
