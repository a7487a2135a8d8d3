#include "app/core/update_dialog.h"

#include <functional>
#include <vector>

#include "app/core/card_finish.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_texts.h"
#include "app/core/entry_checks.h"
#include "app/core/operation_log.h"
#include "app/core/text_ids.h"
#include "oplog/Jornet.h"

namespace pellam {

namespace {

constexpr LabelRow kLabels[] = {
    {3006, ""},      {1017, ""},      {1016, ""},      {1002, ""},      {1003, ""},      {1006, ""},
    {1007, "(&P):"}, {1008, "(&C):"}, {1005, "(&N):"}, {3005, "(&O):"}, {1029, "(&M):"},
};

constexpr LimitRow kLimits[] = {
    {2015, kLongestPassword}, {2016, kLongestPassword}, {2023, kLongestName}, {2024, kLongestComment}, {2051, 8},
};

// What a user-code card has not: the user ID and both password fields.
constexpr int kUserIdParts[] = {1006, 2059, 1007, 2015, 1008, 2016};

}  // namespace

void UpdateDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  const SharedRecords& records = context_.records();
  const CardData& data = records.card;
  const IssueInfo& issue = records.issue;
  view.SetTitle(LookupText(state, kTemplate));
  SetLabels(view, state, kLabels);
  SetCommonButtons(view, state, kDialogOk);
  view.SetFaceBackground(kUserId);

  code_card_ = records.current_card_kind == CardKind::CodeCard;
  const corvex::SecretText password = code_card_ ? corvex::SecretText() : ShownSecret(data.password);
  view.SetSecretControlText(kPassword, password);
  view.SetSecretControlText(kPasswordAgain, password);
  view.SetControlText(kUserId, code_card_ ? std::string() : ShownText(data.user_id));
  view.SetControlText(kUserName, ShownText(data.user_name));
  view.SetControlText(kComment, ShownText(data.comment));
  view.SetControlText(kUserCode, ShownText(data.user_code));
  if (code_card_) {
    for (const int control : kUserIdParts) view.EnableControl(control, false);
  }

  view.SetControlText(kIssueCount, NumberText(issue.issue_count));
  view.SetControlText(kIssueDate, NumberText(issue.year) + "/" + NumberText(issue.month) + "/" + NumberText(issue.day));
  SetLimits(view, kLimits);
  TakeMessageOwner(view);
}

std::int32_t UpdateDialog::CheckUserIdCard(DialogView& view) {
  SharedRecords& records = context_.records();
  EntryData& entry = records.entry;
  const corvex::SecretText password = view.SecretControlText(kPassword, kTextRead);
  if (password.size() > kLongestPassword) return text::kPasswordTooLong;
  if (view.SecretControlText(kPasswordAgain, kTextRead) != password) return text::kPasswordsDiffer;
  const std::string name = view.ControlText(kUserName, kTextRead);
  const std::string comment = view.ControlText(kComment, kTextRead);
  if (const std::int32_t problem = CheckNameAndComment(name, comment)) return problem;
  std::uint32_t code = 0;
  if (const std::int32_t problem = CheckUserCode(view.ControlText(kUserCode, kCodeRead), false, code)) return problem;

  StoreText(entry.password, password.View());
  StoreText(entry.user_name, name);
  StoreText(entry.comment, comment);
  StoreUserCode(entry.user_code, code);
  operation_ = password.View() != FieldText(records.card.password) ? JORNET_OP_UPDATE_DATA : JORNET_OP_UPDATE_OPTION;
  return kNoProblem;
}

std::int32_t UpdateDialog::CheckUserCodeCard(DialogView& view) {
  EntryData& entry = context_.records().entry;
  const std::string name = view.ControlText(kUserName, kTextRead);
  const std::string comment = view.ControlText(kComment, kTextRead);
  if (const std::int32_t problem = CheckNameAndComment(name, comment)) return problem;
  std::uint32_t code = 0;
  if (const std::int32_t problem = CheckUserCode(view.ControlText(kUserCode, kCodeRead), true, code)) return problem;

  StoreText(entry.user_name, name);
  StoreText(entry.comment, comment);
  StoreUserCode(entry.user_code, code);
  operation_ = JORNET_OP_UPDATE_CODE;
  return kNoProblem;
}

void UpdateDialog::OnOk(DialogView& view) {
  Messages& messages = context_.messages;
  ClearEntryData(context_.records());
  if (const std::int32_t problem = code_card_ ? CheckUserCodeCard(view) : CheckUserIdCard(view)) {
    messages.ShowWarning(problem, messages.ErrorCaption());
    view.FocusDialog();
    return;
  }
  if (!OpenReaderForDialog(context_, view)) return;
  // Only the card the main window read is written.
  const CardWaitRule same_card{code_card_ ? CardKind::CodeCard : CardKind::UserCard,
                               code_card_ ? text::kNotCodeCard : text::kNotUserCard,
                               [this] { return SameCardAsRead(context_); }};
  if (!WaitForDialogCard(context_, view, same_card)) return;
  if (!WriteCard(view)) return;
  FinishCardOperation(context_, view, text::kUpdated, [this] { RecordUpdate(); });
}

bool UpdateDialog::WriteCard(DialogView& view) {
  CardAccess& card = context_.card;
  const SharedRecords& records = context_.records();
  const EntryData& entry = records.entry;
  const CardData& data = records.card;
  const auto* code = reinterpret_cast<const std::uint8_t*>(entry.user_code.bytes.data());

  std::vector<CardWrite> steps;
  if (!code_card_) {
    // The user ID goes back unchanged beside the new password.
    const std::string_view user_id = FieldText(data.user_id);
    steps.push_back({[&card, &entry, user_id] {
                       return card.WriteUserAccount(user_id.data(), static_cast<std::int32_t>(user_id.size()),
                                                    entry.password.bytes.data(), entry.password.length);
                     },
                     false});
  }
  steps.push_back({[&] { return card.WriteUserName(entry.user_name.bytes.data(), entry.user_name.length); }, false});
  steps.push_back({[&] { return card.WriteCommentToUser(entry.comment.bytes.data(), entry.comment.length); }, false});
  steps.push_back({[&] { return card.WriteUserCode(code, 4); }, true});

  return RunCardWrites(context_, view, steps);
}

void UpdateDialog::RecordUpdate() {
  SharedRecords& records = context_.records();
  EntryData& entry = records.entry;
  if (code_card_) {
    WriteOperationLog(context_, UserCodeSubject(StoredUserCode(entry.user_code)), operation_);
    return;
  }
  entry.user_id = records.card.user_id;
  WriteOperationLog(context_, FieldText(entry.user_id), operation_);
}

}  // namespace pellam
