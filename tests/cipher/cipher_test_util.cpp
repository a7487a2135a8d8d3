#include "tests/cipher/cipher_test_util.h"

#include <cctype>
#include <ios>
#include <stdexcept>

namespace corvex {

void PrintTo(CipherResult result, std::ostream* out) {
  *out << "0x" << std::hex << static_cast<std::uint32_t>(result) << std::dec;
}

}  // namespace corvex

namespace cipher_test {

using corvex::CipherResult;

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  throw std::invalid_argument("not a hex digit");
}

}  // namespace

Bytes Hex(std::string_view text) {
  Bytes bytes;
  int high = -1;
  for (char c : text) {
    if (c == ' ') continue;
    if (high < 0) {
      high = HexDigit(c);
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + HexDigit(c)));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("odd number of hex digits");
  return bytes;
}

Outcome RunOnce(const corvex::CipherSpec& cipher_spec, corvex::CipherKeyFormat format,
                std::span<const std::uint8_t> key, const corvex::CipherImplList& impls, Direction direction,
                std::span<const std::uint8_t> input) {
  corvex::CipherKey* cipher_key = nullptr;
  corvex::CipherContext* context = nullptr;
  Bytes buffer(input.size() + 8);
  std::size_t update_length = 0;
  std::size_t final_length = 0;
  std::span<const std::uint8_t> stored;
  const bool encrypt = direction == Direction::Encrypt;

  CipherResult result = corvex::CipherKeyCreate(&cipher_key);
  if (result == CipherResult::Ok) result = corvex::CipherKeySet(cipher_key, format, key);
  if (result == CipherResult::Ok) result = corvex::CipherKeyGet(stored, cipher_key, corvex::CipherKeyFormat::KeyBytes);
  if (result == CipherResult::Ok) result = corvex::CipherContextCreate(&context);
  if (result == CipherResult::Ok) result = corvex::CipherContextSetSpec(context, cipher_spec);
  if (result == CipherResult::Ok) {
    result = encrypt ? corvex::CipherEncryptInit(context, cipher_key, impls)
                     : corvex::CipherDecryptInit(context, cipher_key, impls);
  }
  if (result == CipherResult::Ok) {
    result = encrypt ? corvex::CipherEncryptUpdate(context, buffer, update_length, input)
                     : corvex::CipherDecryptUpdate(context, buffer, update_length, input);
  }
  if (result == CipherResult::Ok) {
    const std::span<std::uint8_t> rest = std::span(buffer).subspan(update_length);
    result = encrypt ? corvex::CipherEncryptFinal(context, rest, final_length)
                     : corvex::CipherDecryptFinal(context, rest, final_length);
  }
  corvex::CipherKeyDestroy(&cipher_key);
  corvex::CipherContextDestroy(&context);
  buffer.resize(update_length + final_length);
  return {result, buffer};
}

CipherObjects::CipherObjects() {
  if (corvex::CipherKeyCreate(&key) != CipherResult::Ok || corvex::CipherContextCreate(&context) != CipherResult::Ok) {
    throw std::runtime_error("cannot create the cipher objects");
  }
}

CipherObjects::~CipherObjects() {
  corvex::CipherKeyDestroy(&key);
  corvex::CipherContextDestroy(&context);
}

corvex::CipherSpec EdeEcbSpec() {
  corvex::CipherSpec cipher_spec;
  cipher_spec.cipher_name = "des_ede";
  cipher_spec.mode_name = "ecb";
  cipher_spec.block_size = 8;
  cipher_spec.padding_name = "nopad";
  return cipher_spec;
}

corvex::CipherSpec DesCbcSpec(std::span<const std::uint8_t> vector) {
  corvex::CipherSpec cipher_spec;
  cipher_spec.cipher_name = "des";
  cipher_spec.mode_name = "cbc";
  cipher_spec.vector = vector;
  cipher_spec.padding_name = "nopad";
  return cipher_spec;
}

}  // namespace cipher_test
