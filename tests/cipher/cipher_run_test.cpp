// Update and final: pending bytes and a too-small output.
#include <gtest/gtest.h>

#include <numeric>

#include "tests/cipher/cipher_test_util.h"

namespace {

using cipher_test::Bytes;
using cipher_test::Direction;
using cipher_test::Hex;
using corvex::CipherKeyFormat;
using corvex::CipherResult;

const Bytes kVector = Hex("F69F2445DF4F9B17");
const Bytes kDesKey = Hex("0123456789ABCDEF");
const Bytes kEdeKey = Hex("0123456789ABCDEF 23456789ABCDEF01 0123456789ABCDEF");

// One of the card library's combinations in one direction.
struct Combination {
  const char* name;
  corvex::CipherSpec cipher_spec;
  CipherKeyFormat format;
  const Bytes* key;
  const corvex::CipherImplList* impls;
  Direction direction;

  cipher_test::Outcome RunOnce(const Bytes& input) const {
    return cipher_test::RunOnce(cipher_spec, format, *key, *impls, direction, input);
  }
};

std::vector<Combination> Combinations() {
  std::vector<Combination> all;
  for (Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
    all.push_back({"des cbc", cipher_test::DesCbcSpec(kVector), CipherKeyFormat::DesKey8, &kDesKey,
                   &corvex::DesCbcImpls, direction});
    all.push_back({"des_ede ecb", cipher_test::EdeEcbSpec(), CipherKeyFormat::DesEdeKey24, &kEdeKey,
                   &corvex::EdeEcbImpls, direction});
  }
  return all;
}

Bytes Counting(std::size_t size) {
  Bytes bytes(size);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{0x31});
  return bytes;
}

// Final refuses pending bytes after the whole blocks were output. Three bytes
// are held back from a first update; with the rest, 24 bytes are due, and an
// output 8 bytes short must stay untouched.
TEST(CipherUpdate, PendingBytesAndTooSmallOutputsAreRefused) {
  const Bytes input = Counting(24);
  const std::span<const std::uint8_t> all(input);
  for (const Combination& combination : Combinations()) {
    SCOPED_TRACE(combination.name);
    const cipher_test::Outcome partial = combination.RunOnce(Bytes(input.begin(), input.begin() + 12));
    EXPECT_EQ(partial.result, CipherResult::PartialBlock);
    EXPECT_EQ(partial.output, combination.RunOnce(Bytes(input.begin(), input.begin() + 8)).output);

    cipher_test::CipherRun run(combination.direction);
    ASSERT_EQ(run.Start(combination.cipher_spec, combination.format, *combination.key, *combination.impls),
              CipherResult::Ok);
    Bytes output(24, 0xA5);
    std::size_t length = 99;
    ASSERT_EQ(run.Update(output, length, all.first(3)), CipherResult::Ok);
    EXPECT_EQ(length, 0u);

    EXPECT_EQ(run.Update(std::span(output).first(16), length, all.subspan(3)), CipherResult::OutputTooSmall);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(output, Bytes(24, 0xA5));

    ASSERT_EQ(run.Update(output, length, all.subspan(3)), CipherResult::Ok);
    EXPECT_EQ(length, 24u);
    length = 99;
    ASSERT_EQ(run.Final({}, length), CipherResult::Ok);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(output, combination.RunOnce(input).output);
  }
}

}  // namespace
