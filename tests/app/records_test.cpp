// The shared records' helpers and the operation buttons' focus rule.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/operation_buttons.h"
#include "app/core/records.h"
#include "app/core/text_ids.h"
#include "tests/app/scripted_card.h"

namespace {

using pellam::CardKind;

// Clearing empties each text to its full capacity (the length the card reads
// are given) and forgets the kind; the entry's clearing leaves the card read.
// No byte of a password or PIN stays.
TEST(Records, ClearingEmptiesTheTextsAndForgetsTheKind) {
  pellam::SharedRecords records;
  for (auto* field : {&records.entry.password, &records.card.password}) field->bytes.fill('p');
  for (auto* field : {&records.entry.pin, &records.card.pin}) field->bytes.fill('9');
  const auto secret_bytes = [&records] {
    std::size_t count = 0;
    for (const auto& bytes : {records.entry.password.bytes, records.card.password.bytes}) {
      count += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), 'p'));
    }
    for (const auto& bytes : {records.entry.pin.bytes, records.card.pin.bytes}) {
      count += static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '9'));
    }
    return count;
  };
  records.entry.user_id.bytes[0] = 'x';
  records.entry.user_code.length = 4;
  records.entry.pin.length = 0;
  records.issue_card_kind = CardKind::CodeCard;
  records.card.comment.bytes[255] = 'y';
  records.card.user_id.length = 3;
  records.current_card_kind = CardKind::UserCard;

  pellam::ClearEntryData(records);
  EXPECT_EQ(records.entry.user_id.bytes[0], '\0');
  EXPECT_EQ(records.entry.user_id.length, 256);
  EXPECT_EQ(records.entry.pin.length, 32);
  EXPECT_EQ(records.entry.user_code.length, 16);
  EXPECT_EQ(records.issue_card_kind, CardKind::NoCard);
  EXPECT_EQ(records.current_card_kind, CardKind::UserCard) << "the card side is not cleared";
  EXPECT_EQ(secret_bytes(), 256u + 32u) << "the card's password and PIN stay";

  pellam::ClearCardData(records);
  EXPECT_EQ(records.card.comment.bytes[255], '\0');
  EXPECT_EQ(records.card.user_id.length, 256);
  EXPECT_EQ(records.current_card_kind, CardKind::NoCard);
  EXPECT_EQ(secret_bytes(), 0u);
}

TEST(Records, SenseCardKindMapsTheTypeAndTreatsFailuresAsNoCard) {
  struct Case {
    std::int32_t type;
    const char* failing;  // a call that fails, or ""
    CardKind kind;
  };
  const Case cases[] = {
      {0, "", CardKind::BlankCard},   {1, "", CardKind::UserCard},
      {16, "", CardKind::AdminCard},  {256, "", CardKind::CodeCard},
      {17, "", CardKind::NoCard},     {app_test::ScriptedCard::kNoCard, "", CardKind::NoCard},
      {1, "sense", CardKind::NoCard}, {1, "type", CardKind::NoCard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    app_test::ScriptedCard card;
    card.OpenDevice();
    card.card_type = c.type;
    card.failing = {c.failing};
    CardKind kind = CardKind::AdminCard;
    EXPECT_EQ(pellam::SenseCardKind(card, kind), 0);
    EXPECT_EQ(kind, c.kind);
  }
}

TEST(OperationButtons, FocusRectangleRule) {
  using pellam::DrawAction;
  pellam::FocusRectangleRule rule(false);
  EXPECT_EQ(rule.DrawsFor(DrawAction::Entire, true), 1);
  EXPECT_EQ(rule.DrawsFor(DrawAction::Entire, false), 0);
  EXPECT_EQ(rule.DrawsFor(DrawAction::Select, true), 0);
  EXPECT_EQ(rule.DrawsFor(DrawAction::Focus, true), 1);   // gaining
  EXPECT_EQ(rule.DrawsFor(DrawAction::Focus, false), 1);  // first loss
  EXPECT_EQ(rule.DrawsFor(DrawAction::Focus, false), 2);  // second loss: the extra one
  EXPECT_EQ(rule.DrawsFor(DrawAction::Focus, false), 1);  // never again
  EXPECT_EQ(rule.DrawsFor(DrawAction::Focus, false), 1);

  pellam::FocusRectangleRule japanese(true);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(japanese.DrawsFor(DrawAction::Focus, false), 1);
}

}  // namespace
