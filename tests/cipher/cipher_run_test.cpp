// Update and final: pending bytes and a too-small output.
#include <gtest/gtest.h>

#include <numeric>

#include "tests/cipher/cipher_test_util.h"

namespace {

using cipher_test::Bytes;
using cipher_test::Direction;
using cipher_test::Hex;
using corvex::CipherResult;

const Bytes kVector = Hex("F69F2445DF4F9B17");
const Bytes kDesKey = Hex("0123456789ABCDEF");
const Bytes kEdeKey = Hex("0123456789ABCDEF 23456789ABCDEF01 0123456789ABCDEF");

// Each of the card library's combinations in each direction.
struct Combination {
  const char* name;
  const Bytes* key;
  Direction direction;

  cipher_test::Outcome RunOnce(const Bytes& input) const {
    return cipher_test::RunOnce(*key, kVector, direction, input);
  }
};
const Combination kCombinations[] = {
    {"des cbc, encrypt", &kDesKey, Direction::Encrypt},
    {"des cbc, decrypt", &kDesKey, Direction::Decrypt},
    {"des_ede ecb, encrypt", &kEdeKey, Direction::Encrypt},
    {"des_ede ecb, decrypt", &kEdeKey, Direction::Decrypt},
};

// Final refuses pending bytes after the whole blocks were output. Three bytes
// are held back from a first update; with the rest, 24 bytes are due, and an
// output 8 bytes short must stay untouched.
TEST(CipherUpdate, PendingBytesAndTooSmallOutputsAreRefused) {
  Bytes input(24);
  std::iota(input.begin(), input.end(), std::uint8_t{0x31});
  const std::span<const std::uint8_t> all(input);
  for (const Combination& combination : kCombinations) {
    SCOPED_TRACE(combination.name);
    const cipher_test::Outcome partial = combination.RunOnce(Bytes(input.begin(), input.begin() + 12));
    EXPECT_EQ(partial.result, CipherResult::PartialBlock);
    EXPECT_EQ(partial.output, combination.RunOnce(Bytes(input.begin(), input.begin() + 8)).output);

    cipher_test::CipherRun run(combination.direction);
    ASSERT_EQ(run.Start(*combination.key, kVector), CipherResult::Ok);
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
