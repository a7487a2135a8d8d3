#include "tests/cipher/cipher_test_util.h"

#include <stdexcept>

namespace cipher_test {

using corvex::CipherResult;

CipherObjects::CipherObjects() {
  if (corvex::CipherKeyCreate(&key) != CipherResult::Ok || corvex::CipherContextCreate(&context) != CipherResult::Ok) {
    throw std::runtime_error("cannot create the cipher objects");
  }
}

CipherObjects::~CipherObjects() {
  corvex::CipherKeyDestroy(&key);
  corvex::CipherContextDestroy(&context);
}

CipherResult CipherRun::Start(std::span<const std::uint8_t> key, std::span<const std::uint8_t> vector) {
  const bool des = key.size() == 8;
  CipherResult result = corvex::CipherKeySet(
      objects.key, des ? corvex::CipherKeyFormat::DesKey8 : corvex::CipherKeyFormat::DesEdeKey24, key);
  if (result == CipherResult::Ok) {
    result = corvex::CipherContextSetSpec(objects.context, des ? DesCbcSpec(vector) : EdeEcbSpec());
  }
  return result == CipherResult::Ok ? Init(des ? corvex::DesCbcImpls : corvex::EdeEcbImpls) : result;
}

CipherResult CipherRun::Init(const corvex::CipherImplList& impls) {
  return direction_ == Direction::Encrypt ? corvex::CipherEncryptInit(objects.context, objects.key, impls)
                                          : corvex::CipherDecryptInit(objects.context, objects.key, impls);
}

CipherResult CipherRun::Update(std::span<std::uint8_t> output, std::size_t& length,
                               std::span<const std::uint8_t> input) {
  return direction_ == Direction::Encrypt ? corvex::CipherEncryptUpdate(objects.context, output, length, input)
                                          : corvex::CipherDecryptUpdate(objects.context, output, length, input);
}

CipherResult CipherRun::Final(std::span<std::uint8_t> output, std::size_t& length) {
  return direction_ == Direction::Encrypt ? corvex::CipherEncryptFinal(objects.context, output, length)
                                          : corvex::CipherDecryptFinal(objects.context, output, length);
}

Outcome RunOnce(std::span<const std::uint8_t> key, std::span<const std::uint8_t> vector, Direction direction,
                std::span<const std::uint8_t> input) {
  CipherRun run(direction);
  Bytes buffer(input.size() + 8);
  std::size_t update_length = 0;
  std::size_t final_length = 0;
  CipherResult result = run.Start(key, vector);
  if (result == CipherResult::Ok) result = run.Update(buffer, update_length, input);
  if (result == CipherResult::Ok) result = run.Final(std::span(buffer).subspan(update_length), final_length);
  buffer.resize(update_length + final_length);
  return {result, buffer};
}

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
  out << "result " << static_cast<int>(outcome.result) << ", output";
  for (std::uint8_t b : outcome.output) out << ' ' << std::hex << static_cast<int>(b) << std::dec;
  return out;
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
