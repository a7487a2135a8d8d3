#include "cardlib/session_cipher.h"

#include <cstring>

#include "cardlib/cipher/cipher.h"
#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

constexpr std::size_t kBlock = 8;
constexpr std::uint8_t kZeroVector[kBlock] = {};

enum class Direction { Encrypt, Decrypt };

struct Run {
  CipherKeyFormat format;
  std::span<const std::uint8_t> key;
  CipherSpec cipher_spec;
  const CipherImplList& impls;
};

// One whole run: key, context, init, update, final; everything destroyed
// (and so wiped) on every path.
bool RunCipher(const Run& run, Direction direction, const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
  if (length == 0 || length % kBlock != 0 || in == nullptr || out == nullptr) return false;
  CipherKey* key = nullptr;
  CipherContext* context = nullptr;
  bool ok = CipherKeyCreate(&key) == CipherResult::Ok && CipherKeySet(key, run.format, run.key) == CipherResult::Ok &&
            CipherContextCreate(&context) == CipherResult::Ok &&
            CipherContextSetSpec(context, run.cipher_spec) == CipherResult::Ok;
  if (ok) {
    const CipherResult init = direction == Direction::Encrypt ? CipherEncryptInit(context, key, run.impls)
                                                              : CipherDecryptInit(context, key, run.impls);
    ok = init == CipherResult::Ok;
  }
  std::size_t written = 0;
  std::size_t tail = 0;
  if (ok) {
    const std::span<std::uint8_t> output(out, length);
    const std::span<const std::uint8_t> input(in, length);
    const CipherResult update = direction == Direction::Encrypt ? CipherEncryptUpdate(context, output, written, input)
                                                                : CipherDecryptUpdate(context, output, written, input);
    const CipherResult final =
        direction == Direction::Encrypt ? CipherEncryptFinal(context, {}, tail) : CipherDecryptFinal(context, {}, tail);
    ok = update == CipherResult::Ok && final == CipherResult::Ok && written == length;
  }
  CipherContextDestroy(&context);
  CipherKeyDestroy(&key);
  if (!ok) SecureWipe(out, length);
  return ok;
}

bool TripleDes(Direction direction, const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* in,
               std::size_t length, std::uint8_t* out) {
  if (a == nullptr || b == nullptr) return false;
  std::uint8_t key[3 * kBlock];
  std::memcpy(key, a, kBlock);
  std::memcpy(key + kBlock, b, kBlock);
  std::memcpy(key + 2 * kBlock, a, kBlock);
  const Run run{CipherKeyFormat::DesEdeKey24, key, CipherSpec{"des_ede", "ecb", kBlock, {}, "nopad"}, EdeEcbImpls};
  const bool ok = RunCipher(run, direction, in, length, out);
  SecureWipe(key, sizeof key);
  return ok;
}

bool DesCbc(Direction direction, const std::uint8_t* key, const std::uint8_t* in, std::size_t length,
            std::uint8_t* out) {
  if (key == nullptr) return false;
  const Run run{CipherKeyFormat::DesKey8, std::span<const std::uint8_t>(key, kBlock),
                CipherSpec{"des", "cbc", 0, kZeroVector, "nopad"}, DesCbcImpls};
  return RunCipher(run, direction, in, length, out);
}

}  // namespace

bool TripleDesEncrypt(const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* in, std::size_t length,
                      std::uint8_t* out) {
  return TripleDes(Direction::Encrypt, a, b, in, length, out);
}

bool TripleDesDecrypt(const std::uint8_t* a, const std::uint8_t* b, const std::uint8_t* in, std::size_t length,
                      std::uint8_t* out) {
  return TripleDes(Direction::Decrypt, a, b, in, length, out);
}

bool DesCbcEncrypt(const std::uint8_t* key, const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
  return DesCbc(Direction::Encrypt, key, in, length, out);
}

bool DesCbcDecrypt(const std::uint8_t* key, const std::uint8_t* in, std::size_t length, std::uint8_t* out) {
  return DesCbc(Direction::Decrypt, key, in, length, out);
}

}  // namespace corvex
