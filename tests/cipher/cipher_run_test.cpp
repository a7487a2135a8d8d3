// Update and final: input split across calls, pending bytes, a too-small
// output, the reset of the chaining value, and runs started again.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "tests/cipher/cipher_test_util.h"

namespace {

using cipher_test::Bytes;
using cipher_test::CipherObjects;
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

// A run started for one combination.
class OpenRun : public cipher_test::CipherRun {
 public:
  explicit OpenRun(const Combination& combination) : CipherRun(combination.direction) {
    EXPECT_EQ(Start(combination.cipher_spec, combination.format, *combination.key, *combination.impls),
              CipherResult::Ok);
  }

  // Feeds `input` with the given output capacity; what was written is appended to `collected`.
  CipherResult Feed(std::span<const std::uint8_t> input, std::size_t capacity, Bytes& collected,
                    std::size_t* written = nullptr) {
    Bytes output(capacity);
    std::size_t length = 99;
    const CipherResult result = Update(output, length, input);
    collected.insert(collected.end(), output.begin(), output.begin() + static_cast<std::ptrdiff_t>(length));
    if (written != nullptr) *written = length;
    return result;
  }

  // Final, which has nothing left to write.
  CipherResult Finish() {
    Bytes output(8);
    std::size_t length = 99;
    const CipherResult result = Final(output, length);
    EXPECT_EQ(length, 0u);
    return result;
  }
};

Bytes WholeRun(const Combination& combination, const Bytes& input) {
  const auto outcome = cipher_test::RunOnce(combination.cipher_spec, combination.format, *combination.key,
                                            *combination.impls, combination.direction, input);
  EXPECT_EQ(outcome.result, CipherResult::Ok);
  return outcome.output;
}

// Every way of cutting 32 bytes into three updates, 5 + 11 + 16 among them.
TEST(CipherUpdate, AnySplitGivesTheOutputOfOneUpdate) {
  const Bytes input = Counting(32);
  for (const Combination& combination : Combinations()) {
    SCOPED_TRACE(combination.name);
    const Bytes whole = WholeRun(combination, input);
    ASSERT_EQ(whole.size(), input.size());
    for (std::size_t first = 0; first <= input.size(); ++first) {
      for (std::size_t second = first; second <= input.size(); ++second) {
        OpenRun run(combination);
        Bytes output;
        std::size_t written[3];
        const std::span<const std::uint8_t> all(input);
        ASSERT_EQ(run.Feed(all.subspan(0, first), 40, output, &written[0]), CipherResult::Ok);
        ASSERT_EQ(run.Feed(all.subspan(first, second - first), 40, output, &written[1]), CipherResult::Ok);
        ASSERT_EQ(run.Feed(all.subspan(second), 40, output, &written[2]), CipherResult::Ok);
        ASSERT_EQ(run.Finish(), CipherResult::Ok);
        ASSERT_EQ(output, whole) << "split at " << first << " and " << second;
        // Each call gives exactly the blocks completed so far.
        EXPECT_EQ(written[0], first / 8 * 8);
        EXPECT_EQ(written[0] + written[1], second / 8 * 8);
      }
    }
  }
}

TEST(CipherFinal, PendingBytesAreRefusedAfterTheWholeBlocksWereOutput) {
  for (const Combination& combination : Combinations()) {
    SCOPED_TRACE(combination.name);
    const Bytes input = Counting(12);
    OpenRun run(combination);
    Bytes output;
    ASSERT_EQ(run.Feed(input, 20, output), CipherResult::Ok);
    const Bytes first_block = WholeRun(combination, Bytes(input.begin(), input.begin() + 8));
    EXPECT_EQ(output, first_block);
    EXPECT_EQ(run.Finish(), CipherResult::PartialBlock);
  }
}

TEST(CipherUpdate, TooSmallOutputConsumesNothingAndWritesNothing) {
  for (const Combination& combination : Combinations()) {
    SCOPED_TRACE(combination.name);
    const Bytes input = Counting(24);
    const std::span<const std::uint8_t> all(input);
    OpenRun run(combination);
    Bytes output;
    ASSERT_EQ(run.Feed(all.first(3), 0, output), CipherResult::Ok);

    // 24 bytes are due; the output is 8 bytes short and must stay untouched.
    Bytes guarded(24, 0xA5);
    std::size_t length = 99;
    const std::span<std::uint8_t> short_output = std::span(guarded).first(16);
    EXPECT_EQ(run.Update(short_output, length, all.subspan(3)), CipherResult::OutputTooSmall);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(guarded, Bytes(24, 0xA5));

    ASSERT_EQ(run.Feed(all.subspan(3), 24, output), CipherResult::Ok);
    ASSERT_EQ(run.Finish(), CipherResult::Ok);
    EXPECT_EQ(output, WholeRun(combination, input));
  }
}

TEST(CipherFinal, NextRunStartsAgainFromTheVector) {
  for (const Combination& combination : Combinations()) {
    SCOPED_TRACE(combination.name);
    const Bytes input = Counting(16);
    OpenRun run(combination);
    Bytes first;
    Bytes second;
    ASSERT_EQ(run.Feed(input, 16, first), CipherResult::Ok);
    ASSERT_EQ(run.Finish(), CipherResult::Ok);
    ASSERT_EQ(run.Feed(input, 16, second), CipherResult::Ok);
    EXPECT_EQ(second, first);
  }
}

TEST(CipherInit, InitAgainDropsPendingBytesAndChaining) {
  for (const Combination& combination : Combinations()) {
    SCOPED_TRACE(combination.name);
    const Bytes input = Counting(16);
    OpenRun run(combination);
    Bytes ignored;
    ASSERT_EQ(run.Feed(Counting(13), 16, ignored), CipherResult::Ok);  // one block run, five pending
    ASSERT_EQ(run.Init(*combination.impls), CipherResult::Ok);
    Bytes output;
    ASSERT_EQ(run.Feed(input, 16, output), CipherResult::Ok);
    ASSERT_EQ(run.Finish(), CipherResult::Ok);
    EXPECT_EQ(output, WholeRun(combination, input));
  }
}

// A context initialised for one direction is not run in the other: the
// round keys are in that direction's order, so the result would be wrong.
TEST(CipherUpdate, OnlyTheInitialisedDirectionRuns) {
  CipherObjects objects;
  Bytes output(16);
  std::size_t length = 99;
  const Bytes input = Counting(16);
  ASSERT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesKey8, kDesKey), CipherResult::Ok);
  ASSERT_EQ(corvex::CipherContextSetSpec(objects.context, cipher_test::DesCbcSpec(kVector)), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherEncryptUpdate(objects.context, output, length, input), CipherResult::NotInitialised);
  EXPECT_EQ(corvex::CipherEncryptFinal(objects.context, output, length), CipherResult::NotInitialised);

  ASSERT_EQ(corvex::CipherEncryptInit(objects.context, objects.key, corvex::DesCbcImpls), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherDecryptUpdate(objects.context, output, length, input), CipherResult::NotInitialised);
  EXPECT_EQ(corvex::CipherDecryptFinal(objects.context, output, length), CipherResult::NotInitialised);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(corvex::CipherEncryptUpdate(objects.context, output, length, input), CipherResult::Ok);
  EXPECT_EQ(length, 16u);
}

}  // namespace
