#include "app/core/records.h"

#include "app/core/card_access.h"

namespace pellam {

namespace {

struct TypeRow {
  std::int32_t type;
  CardKind kind;
};

// The card library's card types, as card kinds.
constexpr TypeRow kTypes[] = {
    {0, CardKind::BlankCard},
    {1, CardKind::UserCard},
    {16, CardKind::AdminCard},
    {256, CardKind::CodeCard},
};

}  // namespace

void ClearEntryData(SharedRecords& records) {
  EntryData& entry = records.entry;
  entry.user_id.Clear();
  entry.password.Clear();
  entry.pin.Clear();
  entry.user_name.Clear();
  entry.comment.Clear();
  entry.user_code.Clear();
  records.issue_card_kind = CardKind::NoCard;
}

void ClearCardData(SharedRecords& records) {
  CardData& card = records.card;
  card.user_id.Clear();
  card.password.Clear();
  card.pin.Clear();
  card.user_name.Clear();
  card.comment.Clear();
  card.user_code.Clear();
  records.current_card_kind = CardKind::NoCard;
  records.read_card_id.fill(0);
  records.read_card_known = false;
}

void ClearSecretFields(SharedRecords& records) {
  records.entry.password.Clear();
  records.entry.pin.Clear();
  records.card.password.Clear();
  records.card.pin.Clear();
}

CardKind CardKindFromType(std::int32_t card_type) {
  for (const TypeRow& row : kTypes) {
    if (row.type == card_type) return row.kind;
  }
  return CardKind::NoCard;
}

std::int32_t SenseCardKind(CardAccess& card, CardKind& kind) {
  kind = CardKind::NoCard;
  std::int32_t present = 0;
  if (card.SenseCard(&present) != 0 || present != 1) return 0;
  std::int32_t type = -1;
  if (card.GetCardType(&type) != 0) return 0;
  kind = CardKindFromType(type);
  return 0;
}

}  // namespace pellam
