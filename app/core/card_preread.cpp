#include "app/core/card_preread.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "app/core/text_ids.h"

namespace pellam {

namespace {

enum class Ownership { Owned, NotOwned, ReadFailed };

// Compares the user card's administrator ID with AdminIdentity as
// zero-terminated byte strings.
Ownership CheckOwnership(ProgramContext& context) {
  char admin_id[257] = {};  // one byte more than the read may fill keeps the text terminated
  std::int32_t length = 256;
  if (context.card.ReadAdminIdFromUser(admin_id, &length) != 0) return Ownership::ReadFailed;
  const TextField<256>& own = context.records().admin.admin_id;
  char own_id[257] = {};
  std::memcpy(own_id, own.bytes.data(), own.bytes.size());
  return std::strcmp(admin_id, own_id) == 0 ? Ownership::Owned : Ownership::NotOwned;
}

std::int32_t OwnershipQuestion(Ownership ownership) {
  return ownership == Ownership::ReadFailed ? text::kCardNotRead : text::kOtherAdministrator;
}

// Asks `question`; true when the operator pressed OK (after the pause).
bool AskAgain(ProgramContext& context, std::int32_t question) {
  if (context.messages.AskWarning(question, context.messages.QuestionCaption()) != kAnswerOk) return false;
  context.pause(kRetryPauseMilliseconds);
  return true;
}

bool OpenReader(ProgramContext& context) {
  if (context.card.OpenDevice() == 0) return true;
  context.messages.ShowWarning(text::kReaderNotOpened, context.messages.ErrorCaption());
  return false;
}

void GiveUp(ProgramContext& context) {
  context.card.CloseDevice();
  context.messages.SetCursor(CursorShape::Arrow);
}

void RunDialog(ProgramContext& context, DialogView& main, ChildDialog dialog) {
  context.card.CloseDevice();
  context.messages.SetCursor(CursorShape::Arrow);
  main.RunChild(dialog);
}

template <std::size_t N>
bool ReadText(std::int32_t (CardAccess::*read)(char*, std::int32_t*), CardAccess& card, TextField<N>& field) {
  return (card.*read)(field.bytes.data(), &field.length) == 0;
}

// The reads of the update pre-read, in the order of the card's kind.
bool ReadForUpdate(ProgramContext& context, CardKind kind) {
  SharedRecords& records = context.records();
  CardData& data = records.card;
  CardAccess& card = context.card;
  IssueInfo& issue = records.issue;
  const auto read_issue = [&] {
    return card.ReadIssueInfo(&issue.issue_count, &issue.year, &issue.month, &issue.day) == 0;
  };
  const auto read_code = [&] {
    return card.ReadUserCode(reinterpret_cast<std::uint8_t*>(data.user_code.bytes.data()), &data.user_code.length) == 0;
  };
  if (kind == CardKind::UserCard) {
    records.current_card_kind = CardKind::UserCard;
    return card.ReadUserAccount(data.user_id.bytes.data(), &data.user_id.length, data.password.bytes.data(),
                                &data.password.length) == 0 &&
           ReadText(&CardAccess::ReadUserName, card, data.user_name) && read_issue() &&
           ReadText(&CardAccess::ReadCommentFromUser, card, data.comment) && read_code();
  }
  records.current_card_kind = CardKind::CodeCard;
  return ReadText(&CardAccess::ReadUserName, card, data.user_name) &&
         ReadText(&CardAccess::ReadCommentFromUser, card, data.comment) && read_issue() && read_code();
}

}  // namespace

int WaitForOwnUserCard(ProgramContext& context) {
  while (true) {
    CardKind kind = CardKind::NoCard;
    SenseCardKind(context.card, kind);
    std::int32_t question = text::kPlaceCard;
    if (kind == CardKind::UserCard) {
      const Ownership ownership = CheckOwnership(context);
      if (ownership == Ownership::Owned) return kWaitFound;
      question = OwnershipQuestion(ownership);
    } else if (kind != CardKind::NoCard) {
      question = text::kNotUserCard;
    }
    if (!AskAgain(context, question)) return kWaitGaveUp;
  }
}

int WaitForEditableCard(ProgramContext& context, CardKind& kind) {
  kind = CardKind::NoCard;
  while (true) {
    CardKind sensed = CardKind::NoCard;
    SenseCardKind(context.card, sensed);
    std::int32_t question = text::kPlaceCard;
    if (sensed == CardKind::UserCard) {
      kind = CardKind::UserCard;
      const Ownership ownership = CheckOwnership(context);
      if (ownership == Ownership::Owned) return kWaitFound;
      question = OwnershipQuestion(ownership);
    } else if (sensed == CardKind::CodeCard) {
      kind = CardKind::CodeCard;
      return kWaitFound;
    } else if (sensed != CardKind::NoCard) {
      question = text::kWrongCardKind;
    }
    if (!AskAgain(context, question)) return kWaitGaveUp;
  }
}

bool RecordReadCard(ProgramContext& context) {
  SharedRecords& records = context.records();
  records.read_card_known = false;
  std::array<std::uint8_t, 8> id{};
  std::int32_t length = static_cast<std::int32_t>(id.size());
  if (context.card.GetCardInfo(id.data(), &length) != 0 || length != static_cast<std::int32_t>(id.size())) {
    return false;
  }
  records.read_card_id = id;
  records.read_card_known = true;
  return true;
}

void UserCodeToText(TextField<16>& user_code) {
  std::uint32_t stored = 0;
  std::memcpy(&stored, user_code.bytes.data(), sizeof stored);
  if (stored == 0) return;
  const auto value = static_cast<std::int32_t>(SwapBytes32(stored));
  char digits[16] = {};
  const int length = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
  user_code.bytes.fill('\0');
  std::memcpy(user_code.bytes.data(), digits, static_cast<std::size_t>(length));
  user_code.length = length;
}

void RunUpdateOperation(ProgramContext& context, DialogView& main) {
  ClearCardData(context.records());
  context.messages.SetCursor(CursorShape::Wait);
  if (!OpenReader(context)) return;
  while (true) {
    CardKind kind = CardKind::NoCard;
    if (WaitForEditableCard(context, kind) != kWaitFound) return GiveUp(context);
    ClearCardData(context.records());
    if (ReadForUpdate(context, kind) && RecordReadCard(context)) break;
    if (!AskAgain(context, text::kCardNotRead)) return GiveUp(context);
  }
  UserCodeToText(context.records().card.user_code);
  RunDialog(context, main, ChildDialog::Update);
}

void RunPinChangeOperation(ProgramContext& context, DialogView& main) {
  context.messages.SetCursor(CursorShape::Wait);
  if (!OpenReader(context)) return;
  while (true) {
    if (WaitForOwnUserCard(context) != kWaitFound) return GiveUp(context);
    ClearCardData(context.records());
    CardData& data = context.records().card;
    std::int32_t retry_count = 0;
    if (context.card.ReadPinSettings(&data.pin_present, &data.pin_check, &data.lockout_count, &retry_count,
                                     data.pin.bytes.data(), &data.pin.length) == 0 &&
        RecordReadCard(context)) {
      break;
    }
    if (!AskAgain(context, text::kCardNotRead)) return GiveUp(context);
  }
  RunDialog(context, main, ChildDialog::PinChange);
}

void RunPinUnlockOperation(ProgramContext& context, DialogView& main) {
  context.messages.SetCursor(CursorShape::Wait);
  if (!OpenReader(context)) return;
  while (true) {
    if (WaitForOwnUserCard(context) != kWaitFound) return GiveUp(context);
    if (RecordReadCard(context)) break;
    if (!AskAgain(context, text::kCardNotRead)) return GiveUp(context);
  }
  RunDialog(context, main, ChildDialog::Confirm);
}

void RunInitialiseOperation(ProgramContext& context, DialogView& main) {
  SharedRecords& records = context.records();
  ClearCardData(records);
  context.messages.SetCursor(CursorShape::Wait);
  if (!OpenReader(context)) return;
  while (true) {
    CardKind kind = CardKind::NoCard;
    SenseCardKind(context.card, kind);
    std::int32_t question = text::kPlaceCard;
    if (kind == CardKind::BlankCard) {
      context.messages.ShowInformation(text::kAlreadyBlank, context.messages.QuestionCaption());
      return GiveUp(context);
    }
    if (kind == CardKind::AdminCard) {
      question = text::kWrongCardKind;
    } else if (kind == CardKind::CodeCard || kind == CardKind::UserCard) {
      const Ownership ownership = kind == CardKind::CodeCard ? Ownership::Owned : CheckOwnership(context);
      if (ownership == Ownership::Owned) {
        if (RecordReadCard(context)) {
          records.current_card_kind = kind;
          break;
        }
        question = text::kCardNotRead;
      } else {
        question = OwnershipQuestion(ownership);
      }
    }
    if (!AskAgain(context, question)) return GiveUp(context);
  }
  RunDialog(context, main, ChildDialog::Initialize);
}

}  // namespace pellam
