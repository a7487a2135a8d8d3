// DES key expansion with both permuted choices done as table look-ups.
//
// PC-1 and PC-2 are fixed bit permutations. Each is applied by cutting its
// input into equal chunks; every chunk value indexes a table that holds the
// output bits the chunk's set bits move to, and the chunks' entries are
// ORed. The tables are built at compile time from the standard's tables.
#include "cardlib/cipher/des_key_schedule.h"

#include <array>
#include <cstddef>

#include "cardlib/cipher/des_tables.h"

namespace corvex {

namespace {

template <std::size_t kInputBits, std::size_t kChunkBits>
struct ChunkedPermutation {
  static constexpr std::size_t kChunks = kInputBits / kChunkBits;
  static constexpr std::uint64_t kChunkMask = (std::uint64_t{1} << kChunkBits) - 1;
  static_assert(kChunks * kChunkBits == kInputBits);

  // tables[chunk][value]: the output bits set by `value` in input bits
  // chunk * kChunkBits and up (bit 0 the least significant).
  std::array<std::array<std::uint64_t, std::size_t{1} << kChunkBits>, kChunks> tables{};

  // `targets[p]`: the output bits that input bit p moves to.
  constexpr explicit ChunkedPermutation(const std::array<std::uint64_t, kInputBits>& targets) {
    for (std::size_t chunk = 0; chunk < kChunks; ++chunk) {
      for (std::size_t value = 0; value <= kChunkMask; ++value) {
        for (std::size_t bit = 0; bit < kChunkBits; ++bit) {
          if ((value >> bit) & 1) tables[chunk][value] |= targets[chunk * kChunkBits + bit];
        }
      }
    }
  }

  std::uint64_t Apply(std::uint64_t input) const {
    std::uint64_t output = 0;
    for (std::size_t chunk = 0; chunk < kChunks; ++chunk) {
      output |= tables[chunk][(input >> (chunk * kChunkBits)) & kChunkMask];
    }
    return output;
  }
};

// PC-1: from the 64-bit key (key bit n at bit 64 - n) to C D as 56 bits
// (bit i of C D at bit 56 - i, so C is bits 55-28 and D bits 27-0).
constexpr std::array<std::uint64_t, 64> PermutedChoice1Targets() {
  std::array<std::uint64_t, 64> targets{};
  for (std::size_t i = 0; i < des_tables::kPermutedChoice1.size(); ++i) {
    targets[64 - des_tables::kPermutedChoice1[i]] |= std::uint64_t{1} << (55 - i);
  }
  return targets;
}

// PC-2: from C D to a round key, DesRoundKey::odd in the high 32 bits and
// DesRoundKey::even in the low 32. Round-key bit i belongs to S-box
// g = (i - 1) / 6 + 1; odd and even boxes fill bytes 0 to 3 of their word.
constexpr std::array<std::uint64_t, 56> PermutedChoice2Targets() {
  std::array<std::uint64_t, 56> targets{};
  for (std::size_t i = 0; i < des_tables::kPermutedChoice2.size(); ++i) {
    const std::size_t box = i / 6;           // 0 for S-box 1
    const std::size_t bit_in_group = i % 6;  // 0 for the group's first bit
    const std::size_t word_base = box % 2 == 0 ? 32 : 0;
    const std::size_t byte_base = 24 - 8 * (box / 2);
    targets[56 - des_tables::kPermutedChoice2[i]] |= std::uint64_t{1} << (word_base + byte_base + 5 - bit_in_group);
  }
  return targets;
}

constexpr ChunkedPermutation<64, 4> kPermutedChoice1(PermutedChoice1Targets());
constexpr ChunkedPermutation<56, 7> kPermutedChoice2(PermutedChoice2Targets());

constexpr std::uint32_t kHalfMask = 0x0FFFFFFF;  // C and D are 28 bits each

std::uint32_t RotateHalf(std::uint32_t half, unsigned count) {
  return ((half << count) | (half >> (28 - count))) & kHalfMask;
}

}  // namespace

void ExpandDesKey(std::span<const std::uint8_t, 8> key, DesKeyOrder order, DesKeySchedule& schedule) {
  const std::uint64_t key_bits = (std::uint64_t{LoadBigEndian32(key.data())} << 32) | LoadBigEndian32(key.data() + 4);
  const std::uint64_t halves = kPermutedChoice1.Apply(key_bits);
  std::uint32_t c = static_cast<std::uint32_t>(halves >> 28);
  std::uint32_t d = static_cast<std::uint32_t>(halves) & kHalfMask;
  for (std::size_t round = 0; round < schedule.size(); ++round) {
    c = RotateHalf(c, des_tables::kKeyRotations[round]);
    d = RotateHalf(d, des_tables::kKeyRotations[round]);
    const std::uint64_t round_key = kPermutedChoice2.Apply((std::uint64_t{c} << 28) | d);
    const std::size_t slot = order == DesKeyOrder::Encrypt ? round : schedule.size() - 1 - round;
    schedule[slot] = {static_cast<std::uint32_t>(round_key >> 32), static_cast<std::uint32_t>(round_key)};
  }
}

}  // namespace corvex
