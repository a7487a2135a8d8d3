// The reader's cipher operations, each one complete run of the shared cipher
// layer: key holder and context created, used once, destroyed (and wiped).
#include "readersim/crypto.h"

#include <array>

#include "cardlib/cipher/cipher.h"

namespace readersim {

namespace {

using corvex::CipherResult;

bool Run(bool encrypt, corvex::CipherKeyFormat format, std::span<const std::uint8_t> key_bytes,
         const corvex::CipherSpec& cipher_spec, const corvex::CipherImplList& impls, std::span<const std::uint8_t> in,
         std::span<std::uint8_t> out) {
  if (in.size() != out.size() || in.size() % 8 != 0) return false;
  corvex::CipherKey* key = nullptr;
  corvex::CipherContext* context = nullptr;
  bool ok = corvex::CipherKeyCreate(&key) == CipherResult::Ok &&
            corvex::CipherKeySet(key, format, key_bytes) == CipherResult::Ok &&
            corvex::CipherContextCreate(&context) == CipherResult::Ok &&
            corvex::CipherContextSetSpec(context, cipher_spec) == CipherResult::Ok;
  if (ok) {
    ok = (encrypt ? corvex::CipherEncryptInit(context, key, impls) : corvex::CipherDecryptInit(context, key, impls)) ==
         CipherResult::Ok;
  }
  std::size_t written = 0;
  std::size_t tail = 0;
  if (ok) {
    ok = (encrypt ? corvex::CipherEncryptUpdate(context, out, written, in)
                  : corvex::CipherDecryptUpdate(context, out, written, in)) == CipherResult::Ok &&
         (encrypt ? corvex::CipherEncryptFinal(context, out.subspan(written), tail)
                  : corvex::CipherDecryptFinal(context, out.subspan(written), tail)) == CipherResult::Ok &&
         written + tail == out.size();
  }
  corvex::CipherContextDestroy(&context);
  corvex::CipherKeyDestroy(&key);
  return ok;
}

}  // namespace

bool TripleDesEcb(bool encrypt, const Block8& a, const Block8& b, std::span<const std::uint8_t> in,
                  std::span<std::uint8_t> out) {
  std::array<std::uint8_t, 24> key{};
  std::copy(a.begin(), a.end(), key.begin());
  std::copy(b.begin(), b.end(), key.begin() + 8);
  std::copy(a.begin(), a.end(), key.begin() + 16);
  corvex::CipherSpec cipher_spec;
  cipher_spec.cipher_name = "des_ede";
  cipher_spec.mode_name = "ecb";
  cipher_spec.block_size = 8;
  cipher_spec.padding_name = "nopad";
  const bool ok = Run(encrypt, corvex::CipherKeyFormat::DesEdeKey24, key, cipher_spec, corvex::EdeEcbImpls, in, out);
  key.fill(0);
  return ok;
}

bool DesCbc(bool encrypt, const Block8& key, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  static constexpr std::array<std::uint8_t, 8> kZeroVector{};
  corvex::CipherSpec cipher_spec;
  cipher_spec.cipher_name = "des";
  cipher_spec.mode_name = "cbc";
  cipher_spec.vector = kZeroVector;
  cipher_spec.padding_name = "nopad";
  return Run(encrypt, corvex::CipherKeyFormat::DesKey8, key, cipher_spec, corvex::DesCbcImpls, in, out);
}

}  // namespace readersim
