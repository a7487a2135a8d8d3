// A simulated contactless card: identifier, parameters, system code, one key
// per key slot, and the blocks of its five service pairs.
//
// Each pair has a read-only and a read/write service code over the same
// blocks. Service s (0..9) is opened with the card key of slot s + 1 as key A
// and the key of slot 0 as key B.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "readersim/keys.h"

namespace readersim {

using Block16 = std::array<std::uint8_t, 16>;

inline constexpr int kServiceCount = 10;
inline constexpr int kPairCount = 5;

struct ServiceRow {
  std::uint16_t code;  // value; sent on the wire as its little-endian bytes
  int pair;            // the block store it reaches
  bool writable;
  int key_slot;  // key A; key B is slot 0 for every service
};

// Service s is row s.
inline constexpr std::array<ServiceRow, kServiceCount> kServices{{
    {0x660A, 0, false, 1},
    {0x6608, 0, true, 2},
    {0x670A, 1, false, 3},
    {0x6708, 1, true, 4},
    {0x680A, 2, false, 5},
    {0x6808, 2, true, 6},
    {0x690A, 3, false, 7},
    {0x6908, 3, true, 8},
    {0x6A0A, 4, false, 9},
    {0x6A08, 4, true, 10},
}};

// Blocks in each pair's store (the highest block the card layout uses, plus one).
inline constexpr std::array<int, kPairCount> kPairBlocks{24, 2, 23, 16, 11};

// The two area codes a card has (values; wire bytes 00 00 and 00 65).
inline constexpr std::array<std::uint16_t, 2> kAreaCodes{0x0000, 0x6500};

inline constexpr std::array<std::uint8_t, 2> kCardSystemCode{0x81, 0x65};

// The service index for a code value, if the card has it.
std::optional<int> ServiceForCode(std::uint16_t code);

struct Card {
  Block8 idm{};
  Block8 pmm{};
  std::array<std::uint8_t, 2> system_code = kCardSystemCode;
  std::array<Block8, kCardKeySlots> keys{};
  std::array<std::vector<Block16>, kPairCount> blocks;

  // A blank card with the given identifier and the configured card keys.
  static Card Blank(const Block8& idm, const KeyConfig& keys);
};

// Where a named data item lives, and how it is shown when a card is dumped.
enum class FieldKind { Text, Number16, Date, Bytes };

struct FieldRow {
  const char* name;
  int pair;
  int first_block;
  int block_count;
  FieldKind kind;
  int offset = 0;  // for Number16/Date/Bytes: first byte inside the field
  int size = 0;    // for Bytes: how many bytes
};

const std::vector<FieldRow>& Fields();

// Writes a text (zero-padded, cut to the field) into a field of the card.
void SetTextField(Card& card, const char* field_name, const std::string& text);

}  // namespace readersim
