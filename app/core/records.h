// The records the main window and the operation dialogs share for the whole
// run, and the small card helpers they all use.
#pragma once

#include <array>
#include <cstdint>

#include "cardlib/cipher/secure_wipe.h"

namespace pellam {

class CardAccess;

enum class CardKind : std::int32_t { NoCard = 0, BlankCard = 1, UserCard = 2, AdminCard = 3, CodeCard = 4 };

// A text field: its buffer, cleared before it is filled, and its length,
// which holds the capacity before a card-library read. Clearing wipes the
// buffer in a way the compiler keeps, since passwords and PINs pass here.
template <std::size_t Capacity>
struct TextField {
  std::array<char, Capacity> bytes{};
  std::int32_t length = static_cast<std::int32_t>(Capacity);

  void Clear() {
    corvex::SecureWipe(bytes.data(), bytes.size());
    length = static_cast<std::int32_t>(Capacity);
  }
};

// The administrator ID read from the administrator card at start-up.
struct AdminIdentity {
  TextField<256> admin_id;
};

// What the operator typed for an operation.
struct EntryData {
  TextField<256> user_id;
  TextField<256> password;
  TextField<32> pin;
  TextField<256> user_name;
  TextField<256> comment;
  TextField<16> user_code;  // a 32-bit number, most significant byte first
  std::int32_t lockout_count = 0;
  std::int32_t pin_check_choice = 0;
};

// What was read from the card.
struct CardData {
  TextField<256> user_id;
  TextField<256> password;
  TextField<32> pin;
  TextField<256> user_name;
  TextField<256> comment;
  TextField<16> user_code;
  std::int32_t pin_present = 0;
  std::int32_t pin_check = 0;
  std::int32_t lockout_count = 0;
};

struct IssueInfo {
  std::int32_t issue_count = 0;
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
};

struct SharedRecords {
  AdminIdentity admin;
  EntryData entry;
  CardData card;
  IssueInfo issue;
  CardKind current_card_kind = CardKind::NoCard;  // of the card the main window pre-read
  CardKind issue_card_kind = CardKind::NoCard;    // card use chosen for an issue
  std::int32_t list_index = -1;
  // The identifier of the card the main window pre-read; the dialog that
  // follows writes only to that card.
  std::array<std::uint8_t, 8> read_card_id{};
  bool read_card_known = false;
};

// The value with its four bytes in reverse order.
constexpr std::uint32_t SwapBytes32(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

// Clears the texts of the entry record, sets their lengths to the
// capacities and forgets the chosen card use; lock-out count and PIN-check
// choice stay.
void ClearEntryData(SharedRecords& records);

// The same for the card record, the pre-read card kind and its identifier;
// the PIN settings and the issue information stay.
void ClearCardData(SharedRecords& records);

// Clears the passwords and PINs of the entry and card records (each to its
// full capacity, as the clearings above do). Every operation ends with it,
// whichever way it ends; the other fields keep what the operation left.
void ClearSecretFields(SharedRecords& records);

// The kind of the card on the reader: NoCard when none answers, or sensing
// or typing it fails, or its type is not one the program knows. Always 0.
std::int32_t SenseCardKind(CardAccess& card, CardKind& kind);

// The card library's type value as a card kind.
CardKind CardKindFromType(std::int32_t card_type);

}  // namespace pellam
