// The DES block function: one block as two 32-bit words, enciphered or
// deciphered with round keys expanded beforehand (des_key_schedule.h).
//
// Direction is a property of the round keys, not of the block function: a
// schedule in decryption order deciphers. Triple DES runs the 48 rounds of
// its three passes between one initial and one final permutation.
#pragma once

#include <array>
#include <cstdint>

namespace corvex {

// One round key as the round function consumes it: the 6-bit groups that
// enter S-boxes 1, 3, 5, 7 are in `odd`, those for S-boxes 2, 4, 6, 8 in
// `even`; each group sits in the low six bits of one byte, the group of the
// lower-numbered S-box in the more significant byte.
struct DesRoundKey {
  std::uint32_t odd;
  std::uint32_t even;
};

// The 16 round keys of one DES pass in the order the rounds use them.
using DesKeySchedule = std::array<DesRoundKey, 16>;

// Bytes as big-endian words, as FIPS 46-3 numbers the bits.
inline std::uint32_t LoadBigEndian32(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
         std::uint32_t{bytes[3]};
}

inline void StoreBigEndian32(std::uint32_t word, std::uint8_t* bytes) {
  bytes[0] = static_cast<std::uint8_t>(word >> 24);
  bytes[1] = static_cast<std::uint8_t>(word >> 16);
  bytes[2] = static_cast<std::uint8_t>(word >> 8);
  bytes[3] = static_cast<std::uint8_t>(word);
}

// One block: bytes 0-3 and 4-7 as big-endian words. Small enough to travel
// in one register, so a block passed by value never goes through memory.
struct DesBlock {
  std::uint32_t high;
  std::uint32_t low;
};

inline DesBlock LoadBlock(const std::uint8_t* bytes) { return {LoadBigEndian32(bytes), LoadBigEndian32(bytes + 4)}; }

inline void StoreBlock(DesBlock block, std::uint8_t* bytes) {
  StoreBigEndian32(block.high, bytes);
  StoreBigEndian32(block.low, bytes + 4);
}

inline DesBlock operator^(DesBlock a, DesBlock b) { return {a.high ^ b.high, a.low ^ b.low}; }

// Round keys for up to three passes, in the order the passes run them.
// Single DES uses only the first.
using DesPassKeys = std::array<DesKeySchedule, 3>;

// Two independent blocks processed together.
using DesBlockPair = std::array<DesBlock, 2>;

// One DES pass with keys[0] over the block.
DesBlock DesCryptBlock(const DesPassKeys& keys, DesBlock block);
// Three DES passes, keys[0] to keys[2], over the block.
DesBlock TripleDesCryptBlock(const DesPassKeys& keys, DesBlock block);

// The same for two independent blocks at once: their rounds are interleaved
// so that the processor overlaps the table look-ups of one with the other.
void DesCryptTwoBlocks(const DesPassKeys& keys, DesBlockPair& blocks);
void TripleDesCryptTwoBlocks(const DesPassKeys& keys, DesBlockPair& blocks);

}  // namespace corvex
