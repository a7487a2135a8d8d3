// The DES rounds on two 32-bit words.
//
// Both halves are kept rotated left by one bit between the initial and the
// final permutation. The expansion E then needs no table: with R held as
// rotl(R, 1), the six input bits of S-boxes 2, 4, 6, 8 are already the low six
// bits of its four bytes, and those of S-boxes 1, 3, 5, 7 are the same after a
// rotation right by four. Each S-box's output, passed through P and rotated
// left by one to match the halves, is one 64-entry table, so a round is two
// XORs with the round key and eight look-ups.
#include "cardlib/cipher/des_block.h"

#include <bit>
#include <cstddef>

#include "cardlib/cipher/des_tables.h"

namespace corvex {

namespace {

// Exchanges the bits of `low` selected by `mask` with the bits of `high`
// selected by `mask << shift`. Applying it twice restores both words.
constexpr void SwapBits(std::uint32_t& high, std::uint32_t& low, int shift, std::uint32_t mask) {
  const std::uint32_t t = ((high >> shift) ^ low) & mask;
  low ^= t;
  high ^= t << shift;
}

// IP as five bit-group exchanges between the two words.
constexpr void InitialPermutation(std::uint32_t& left, std::uint32_t& right) {
  SwapBits(left, right, 4, 0x0F0F0F0Fu);
  SwapBits(left, right, 16, 0x0000FFFFu);
  SwapBits(right, left, 2, 0x33333333u);
  SwapBits(right, left, 8, 0x00FF00FFu);
  SwapBits(left, right, 1, 0x55555555u);
}

// The inverse of IP: the same exchanges in reverse order.
constexpr void FinalPermutation(std::uint32_t& left, std::uint32_t& right) {
  SwapBits(left, right, 1, 0x55555555u);
  SwapBits(right, left, 8, 0x00FF00FFu);
  SwapBits(right, left, 2, 0x33333333u);
  SwapBits(left, right, 16, 0x0000FFFFu);
  SwapBits(left, right, 4, 0x0F0F0F0Fu);
}

// IP straight from the standard's table, bit by bit.
constexpr std::uint64_t TableInitialPermutation(std::uint64_t block) {
  std::uint64_t out = 0;
  for (std::size_t i = 0; i < des_tables::kInitialPermutation.size(); ++i) {
    if ((block >> (64 - des_tables::kInitialPermutation[i])) & 1) out |= std::uint64_t{1} << (63 - i);
  }
  return out;
}

// Every single input bit lands where the table says, and FP takes it back.
constexpr bool PermutationsMatchTable() {
  for (int bit = 0; bit < 64; ++bit) {
    const std::uint64_t block = std::uint64_t{1} << bit;
    std::uint32_t left = static_cast<std::uint32_t>(block >> 32);
    std::uint32_t right = static_cast<std::uint32_t>(block);
    InitialPermutation(left, right);
    if (((std::uint64_t{left} << 32) | right) != TableInitialPermutation(block)) return false;
    FinalPermutation(left, right);
    if (((std::uint64_t{left} << 32) | right) != block) return false;
  }
  return true;
}
static_assert(PermutationsMatchTable(), "IP/FP exchanges differ from the FIPS 46-3 table");

// kSpTables[box][v]: S-box box + 1 applied to the 6-bit input v (b1 the most
// significant bit), its 4 output bits placed among the 32 and passed through
// P, the result rotated left by one bit.
using SpTables = std::array<std::array<std::uint32_t, 64>, 8>;

constexpr SpTables BuildSpTables() {
  SpTables tables{};
  for (std::size_t box = 0; box < tables.size(); ++box) {
    for (std::uint32_t input = 0; input < 64; ++input) {
      const std::uint32_t row = ((input >> 4) & 2) | (input & 1);
      const std::uint32_t column = (input >> 1) & 0xF;
      const std::uint32_t placed = std::uint32_t{des_tables::kSBoxes[box][row * 16 + column]} << (28 - 4 * box);
      std::uint32_t permuted = 0;
      for (std::size_t bit = 0; bit < des_tables::kPermutationP.size(); ++bit) {
        if ((placed >> (32 - des_tables::kPermutationP[bit])) & 1) permuted |= 0x80000000u >> bit;
      }
      tables[box][input] = std::rotl(permuted, 1);
    }
  }
  return tables;
}

constexpr SpTables kSpTables = BuildSpTables();

// f(R, K) for R held rotated left by one; the result is rotated the same way.
inline std::uint32_t RoundFunction(std::uint32_t right, const DesRoundKey& key) {
  const std::uint32_t odd = std::rotr(right, 4) ^ key.odd;
  const std::uint32_t even = right ^ key.even;
  return kSpTables[0][(odd >> 24) & 0x3F] | kSpTables[2][(odd >> 16) & 0x3F] | kSpTables[4][(odd >> 8) & 0x3F] |
         kSpTables[6][odd & 0x3F] | kSpTables[1][(even >> 24) & 0x3F] | kSpTables[3][(even >> 16) & 0x3F] |
         kSpTables[5][(even >> 8) & 0x3F] | kSpTables[7][even & 0x3F];
}

// The 16 rounds of one pass, two per step so that the halves never move:
// afterwards `left` holds L16 and `right` R16 (the pass's output is R16 L16).
inline void SixteenRounds(const DesKeySchedule& keys, std::uint32_t& left, std::uint32_t& right) {
#pragma GCC unroll 8
  for (std::size_t round = 0; round < keys.size(); round += 2) {
    left ^= RoundFunction(right, keys[round]);
    right ^= RoundFunction(left, keys[round + 1]);
  }
}

// The same rounds for two blocks, step by step side by side.
inline void SixteenRoundsTwice(const DesKeySchedule& keys, std::uint32_t& left0, std::uint32_t& right0,
                               std::uint32_t& left1, std::uint32_t& right1) {
#pragma GCC unroll 8
  for (std::size_t round = 0; round < keys.size(); round += 2) {
    left0 ^= RoundFunction(right0, keys[round]);
    left1 ^= RoundFunction(right1, keys[round]);
    right0 ^= RoundFunction(left0, keys[round + 1]);
    right1 ^= RoundFunction(left1, keys[round + 1]);
  }
}

// IP, then both halves rotated left by one bit for the rounds.
inline void EnterRounds(std::uint32_t& left, std::uint32_t& right) {
  InitialPermutation(left, right);
  left = std::rotl(left, 1);
  right = std::rotl(right, 1);
}

// The halves rotated back and exchanged (R16 L16), then FP, into the block.
inline void LeaveRounds(std::uint32_t left, std::uint32_t right, std::uint32_t& high, std::uint32_t& low) {
  high = std::rotr(right, 1);
  low = std::rotr(left, 1);
  FinalPermutation(high, low);
}

// One pass, or three between one IP and one FP. FP of one pass followed by IP
// of the next cancel out and leave only the exchange of halves, which the
// middle pass absorbs by running with the roles of the halves swapped.
template <std::size_t kPasses>
requires(kPasses == 1 || kPasses == 3) DesBlock CryptBlock(const DesPassKeys& keys, DesBlock block) {
  std::uint32_t left = block.high;
  std::uint32_t right = block.low;
  EnterRounds(left, right);
  SixteenRounds(keys[0], left, right);
  if constexpr (kPasses == 3) {
    SixteenRounds(keys[1], right, left);
    SixteenRounds(keys[2], left, right);
  }
  LeaveRounds(left, right, block.high, block.low);
  return block;
}

template <std::size_t kPasses>
requires(kPasses == 1 || kPasses == 3) void CryptTwoBlocks(const DesPassKeys& keys, DesBlockPair& blocks) {
  std::uint32_t left0 = blocks[0].high;
  std::uint32_t right0 = blocks[0].low;
  std::uint32_t left1 = blocks[1].high;
  std::uint32_t right1 = blocks[1].low;
  EnterRounds(left0, right0);
  EnterRounds(left1, right1);
  SixteenRoundsTwice(keys[0], left0, right0, left1, right1);
  if constexpr (kPasses == 3) {
    SixteenRoundsTwice(keys[1], right0, left0, right1, left1);
    SixteenRoundsTwice(keys[2], left0, right0, left1, right1);
  }
  LeaveRounds(left0, right0, blocks[0].high, blocks[0].low);
  LeaveRounds(left1, right1, blocks[1].high, blocks[1].low);
}

}  // namespace

DesBlock DesCryptBlock(const DesPassKeys& keys, DesBlock block) { return CryptBlock<1>(keys, block); }

DesBlock TripleDesCryptBlock(const DesPassKeys& keys, DesBlock block) { return CryptBlock<3>(keys, block); }

void DesCryptTwoBlocks(const DesPassKeys& keys, DesBlockPair& blocks) { CryptTwoBlocks<1>(keys, blocks); }

void TripleDesCryptTwoBlocks(const DesPassKeys& keys, DesBlockPair& blocks) { CryptTwoBlocks<3>(keys, blocks); }

}  // namespace corvex
