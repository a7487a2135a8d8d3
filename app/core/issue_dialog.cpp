#include "app/core/issue_dialog.h"

#include <array>
#include <functional>

#include "app/core/card_use.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_texts.h"
#include "app/core/entry_checks.h"
#include "app/core/operation_log.h"
#include "app/core/pin_entry.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "oplog/Jornet.h"
#include "platform/clock.h"

namespace pellam {

using namespace pin_entry;

namespace {

constexpr LabelRow kIssueLabels[] = {
    {3004, ""},      {1001, ""},      {1002, ""},      {1003, ""},      {1004, ""},      {1006, "(&U):"},
    {1007, "(&P):"}, {1008, "(&C):"}, {1009, ""},      {1010, "(&E)"},  {1011, "(&D)"},  {1028, ""},
    {1012, "(&L):"}, {1013, "(&I):"}, {1014, "(&R):"}, {1005, "(&N):"}, {3005, "(&O):"}, {1030, "(&T):"},
};

constexpr LimitRow kIssueLimits[] = {
    {2023, 64}, {2017, 8}, {2018, 8}, {2015, 128}, {2016, 128}, {2024, 128}, {2014, 128}, {2022, 2}, {2051, 8},
};

// The user-ID card's own controls besides the nine PIN details.
constexpr int kUserIdParts[] = {1006, 1007, 1008, 2014, 2015, 2016, 1004, 1009, 1010, 1011};

constexpr LabelRow kInfoLabels[] = {
    {1015, ""}, {1016, "(&C):"}, {1017, ""}, {1018, "(&Y):"}, {1019, "(&M):"}, {1020, "(&D):"},
};

constexpr LimitRow kInfoLimits[] = {{2045, 5}, {2047, 4}, {2048, 2}, {2049, 2}};

// How many bytes of each field the checks read, as the window-text calls do.
constexpr std::size_t kTextRead = 255;
constexpr std::size_t kCodeRead = 15;
constexpr std::size_t kInfoRead = 5;

constexpr std::size_t kLongestUserId = 128;
constexpr std::size_t kLongestPassword = 128;
constexpr std::size_t kLongestName = 64;
constexpr std::size_t kLongestComment = 128;
constexpr int kLockoutHighest = 99;
constexpr int kLockoutDefault = 3;
constexpr int kCountHighest = 32767;

constexpr std::size_t kListLineSize = 1024;

// One field of IssueInfoDialog: its control, the limits and the messages.
struct InfoFieldRow {
  int control;
  std::int32_t IssueInfo::*field;
  std::int32_t non_digit;
  std::int64_t lowest;
  std::int32_t too_small;
  std::int64_t highest;
  std::int32_t too_large;
};

constexpr InfoFieldRow kInfoFields[] = {
    {2045, &IssueInfo::issue_count, 9902, 0, 0, kCountHighest, 9706},
    {2047, &IssueInfo::year, 9906, 0, 0, 3000, 9707},
    {2048, &IssueInfo::month, 9907, 1, 9808, 12, 9708},
    {2049, &IssueInfo::day, 9908, 1, 9809, 31, 9709},
};

void EnableAll(DialogView& view, std::span<const int> controls, bool enable) {
  for (const int control : controls) view.EnableControl(control, enable);
}

void SetToday(IssueInfo& issue) {
  const platform::LocalDateTime now = platform::CurrentLocalDateTime();
  issue = {1, now.year, now.month, now.day};
}

}  // namespace

void IssueDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  view.SetTitle(LookupText(state, kTemplate));
  SetLabels(view, state, kIssueLabels);
  view.ClearList(kCardUseList);
  view.AddListEntry(kCardUseList, LookupText(state, 1031));
  view.AddListEntry(kCardUseList, LookupText(state, 1032));
  view.SetControlText(1029, LookupText(state, 1029) + "(&M):");
  SetLimits(view, kIssueLimits);
  SetCommonButtons(view, state, kOkButton);
  view.SetSpinnerRange(kLockoutSpinner, 0, kLockoutHighest);
  view.SetSpinnerPosition(kLockoutSpinner, kLockoutDefault);
  view.CheckRadio(kPinOn, true);
  const std::uint32_t card_use = ReadCardUse();
  view.SelectListEntry(kCardUseList, static_cast<int>(card_use));
  if (card_use == kUserCodeCardEntry) {
    EnableAll(view, kUserIdParts, false);
    EnableAll(view, kPinDetails, false);
  }
  TakeMessageOwner(view);
}

void IssueDialog::OnOtherCommand(DialogView& view, int control, int notification) {
  if (control == kCardUseList && notification == kNotifySelectionChanged) {
    OnCardUseChanged(view);
  } else if ((control == kPinOn || control == kPinOff) && notification == kNotifyClicked) {
    EnablePinDetails(view, control == kPinOn);
  }
}

void IssueDialog::OnCardUseChanged(DialogView& view) {
  if (view.SelectedListEntry(kCardUseList) == kUserCodeCardEntry) {
    EnableAll(view, kUserIdParts, false);
    EnableAll(view, kPinDetails, false);
    return;
  }
  EnableAll(view, kUserIdParts, true);
  if (view.IsRadioChecked(kPinOn)) EnableAll(view, kPinDetails, true);
}

bool IssueDialog::Refuse(DialogView& view, std::int32_t text_id) {
  context_.messages.ShowWarning(text_id, context_.messages.ErrorCaption());
  view.FocusDialog();
  return false;
}

void IssueDialog::OnOk(DialogView& view) {
  SharedRecords& records = context_.records();
  ClearEntryData(records);
  const bool user_id_card = view.SelectedListEntry(kCardUseList) != kUserCodeCardEntry;
  records.issue_card_kind = user_id_card ? CardKind::UserCard : CardKind::CodeCard;
  if (!(user_id_card ? CheckUserIdCard(view) : CheckUserCodeCard(view))) return;
  view.EndDialog(kDialogOk);
  view.RunChild(ChildDialog::IssueInfo);
}

bool IssueDialog::CheckUserIdCard(DialogView& view) {
  SharedRecords& records = context_.records();
  EntryData& entry = records.entry;
  Messages& messages = context_.messages;

  const std::string user_id = view.ControlText(kUserId, kTextRead);
  if (user_id.empty()) return Refuse(view, 9800);
  if (user_id.size() > kLongestUserId) return Refuse(view, 9700);
  if (HasControlByte(user_id)) return Refuse(view, 9900);

  const std::string password = view.ControlText(kPassword, kTextRead);
  if (password.size() > kLongestPassword) return Refuse(view, 9701);
  const std::string password_again = view.ControlText(kPasswordAgain, kTextRead);
  if (password_again != password) return Refuse(view, 7005);

  if (!ReadPinEntry(context_, view)) return false;

  const std::string name = view.ControlText(kUserName, kTextRead);
  if (name.size() > kLongestName) return Refuse(view, 9705);
  const std::string comment = view.ControlText(kComment, kTextRead);
  if (comment.size() > kLongestComment) return Refuse(view, 9710);
  std::uint32_t code = 0;
  if (const std::int32_t problem = CheckUserCode(view.ControlText(kUserCode, kCodeRead), false, code)) {
    return Refuse(view, problem);
  }

  StoreText(entry.user_id, user_id);
  StoreText(entry.password, password);
  StoreText(entry.user_name, name);
  StoreText(entry.comment, comment);
  StoreUserCode(entry.user_code, code);

  IssueInfo& issue = records.issue;
  SearchIDRecord(context_.state.user_id_rows.data(), context_.state.user_id_count, entry.user_id.bytes.data(),
                 entry.user_id.length, &records.list_index, &issue.year, &issue.month, &issue.day, &issue.issue_count);
  if (records.list_index >= 0) {
    if (messages.AskConfirm(7003, messages.QuestionCaption()) != kAnswerOk) {
      view.FocusDialog();
      return false;
    }
    ++issue.issue_count;
  } else if (context_.state.user_id_count >= context_.state.entry_limit) {
    messages.ShowWarning(7004, messages.ErrorCaption());
    view.EndDialog(kDialogOk);
    return false;
  }
  return true;
}

bool IssueDialog::CheckUserCodeCard(DialogView& view) {
  SharedRecords& records = context_.records();
  EntryData& entry = records.entry;
  std::uint32_t code = 0;
  if (const std::int32_t problem = CheckUserCode(view.ControlText(kUserCode, kCodeRead), true, code)) {
    return Refuse(view, problem);
  }
  const std::string name = view.ControlText(kUserName, kTextRead);
  if (name.size() > kLongestName) return Refuse(view, 9705);
  const std::string comment = view.ControlText(kComment, kTextRead);
  if (comment.size() > kLongestComment) return Refuse(view, 9710);

  StoreUserCode(entry.user_code, code);
  StoreText(entry.user_name, name);
  StoreText(entry.comment, comment);
  SetToday(records.issue);
  return true;
}

void IssueInfoDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  const IssueInfo& issue = context_.records().issue;
  view.SetTitle(LookupText(state, kTemplate));
  SetLabels(view, state, kInfoLabels);
  view.SetControlText(kCount, NumberText(issue.issue_count));
  view.SetControlText(kYear, NumberText(issue.year));
  view.SetControlText(kMonth, NumberText(issue.month));
  view.SetControlText(kDay, NumberText(issue.day));
  SetCommonButtons(view, state, kDialogOk);
  SetLimits(view, kInfoLimits);
  view.SetSpinnerRange(kCountSpinner, 0, kCountHighest);
  TakeMessageOwner(view);
}

bool IssueInfoDialog::CheckIssueInfo(DialogView& view) {
  IssueInfo& issue = context_.records().issue;
  for (const InfoFieldRow& row : kInfoFields) {
    const std::string text = view.ControlText(row.control, kInfoRead);
    const std::int64_t value = DecimalValue(text);
    issue.*row.field = static_cast<std::int32_t>(value);
    std::int32_t problem = 0;
    if (!AllDigits(text)) {
      problem = row.non_digit;
    } else if (value < row.lowest) {
      problem = row.too_small;
    } else if (value > row.highest) {
      problem = row.too_large;
    }
    if (problem != 0) {
      context_.messages.ShowWarning(problem, context_.messages.ErrorCaption());
      view.FocusDialog();
      return false;
    }
  }
  return true;
}

void IssueInfoDialog::OnOk(DialogView& view) {
  if (!CheckIssueInfo(view)) return;
  if (!OpenReaderForDialog(context_, view)) return;
  CardAccess& card = context_.card;
  const CardWaitRule blank_card{CardKind::BlankCard, text::kNotBlankCard,
                                [&card] { return card.SetAllKey() == 0 ? 0 : text::kKeysNotSet; }};
  if (!WaitForDialogCard(context_, view, blank_card)) return;
  if (!WriteCard(view)) return;

  Messages& messages = context_.messages;
  const bool closed = card.CloseDevice() == 0;
  // A card written but not closed is still a card: it is recorded before the
  // failure is told.
  const bool recorded = RecordIssue();
  if (!closed) {
    messages.ShowWarning(text::kReaderNotClosed, messages.ErrorCaption());
    view.EndDialog(kDialogCancel);
    return;
  }
  if (!recorded) {
    view.EndDialog(kDialogOk);
    return;
  }
  messages.ShowInformation(text::kIssued, messages.InformationCaption());
  ClearCardData(context_.records());
  ClearEntryData(context_.records());
  messages.SetCursor(CursorShape::Arrow);
  view.EndDialog(kDialogOk);
}

bool IssueInfoDialog::WriteCard(DialogView& view) {
  CardAccess& card = context_.card;
  const SharedRecords& records = context_.records();
  const EntryData& entry = records.entry;
  const IssueInfo& issue = records.issue;
  const TextField<256>& admin = records.admin.admin_id;
  const auto* code = reinterpret_cast<const std::uint8_t*>(entry.user_code.bytes.data());
  const std::int32_t pin_length = entry.pin_check_choice == kPinOn ? entry.pin.length : 0;

  // Every failure is told under the question caption.
  const CardWrite account{[&] {
                            return card.WriteUserAccount(entry.user_id.bytes.data(), entry.user_id.length,
                                                         entry.password.bytes.data(), entry.password.length);
                          },
                          true};
  const CardWrite admin_id{[&] { return card.WriteAdminIdToUser(admin.bytes.data(), admin.length); }, true};
  const CardWrite retry_limit{[&] { return card.WriteRetryLimit(entry.lockout_count); }, true};
  const CardWrite pin{[&] { return card.WritePin(entry.pin.bytes.data(), pin_length); }, true};
  const CardWrite name{[&] { return card.WriteUserName(entry.user_name.bytes.data(), entry.user_name.length); }, true};
  const CardWrite comment{[&] { return card.WriteCommentToUser(entry.comment.bytes.data(), entry.comment.length); },
                          true};
  const CardWrite user_code{[&] { return card.WriteUserCode(code, 4); }, true};
  const CardWrite issue_info{[&] { return card.WriteIssueInfo(issue.issue_count, issue.year, issue.month, issue.day); },
                             true};

  // The write orders of the two card uses.
  if (records.issue_card_kind == CardKind::UserCard) {
    const CardWrite writes[] = {account, admin_id, retry_limit, pin, name, comment, user_code, issue_info};
    return RunCardWrites(context_, view, writes);
  }
  const CardWrite writes[] = {user_code, admin_id, name, comment, issue_info};
  return RunCardWrites(context_, view, writes);
}

bool IssueInfoDialog::RecordIssue() {
  AppState& state = context_.state;
  SharedRecords& records = context_.records();
  const EntryData& entry = records.entry;
  const IssueInfo& issue = records.issue;
  Messages& messages = context_.messages;
  const bool user_card = records.issue_card_kind == CardKind::UserCard;

  if (user_card) {
    std::array<char, kListLineSize> line{};
    std::int32_t length = static_cast<std::int32_t>(line.size());
    if (MakeIDRecord(entry.user_id.bytes.data(), entry.user_id.length, issue.year, issue.month, issue.day,
                     issue.issue_count, line.data(), &length) != TALLIX_OK ||
        WriteIDRecord(state.list_handle, records.list_index, line.data(), length, state.user_id_rows.data(),
                      &state.user_id_count) != TALLIX_OK) {
      messages.ShowWarning(text::kListNotWritten, messages.ErrorCaption());
      return false;
    }
    WriteOperationLog(context_, FieldText(entry.user_id), JORNET_OP_ISSUE);
  } else {
    WriteOperationLog(context_, UserCodeSubject(StoredUserCode(entry.user_code)), JORNET_OP_ISSUE_CODE);
  }

  if (!WriteCardUse(user_card ? 0 : 1)) {
    messages.ShowWarning(text::kCardUseNotStored, messages.ErrorCaption());
    return false;
  }
  return true;
}

}  // namespace pellam
