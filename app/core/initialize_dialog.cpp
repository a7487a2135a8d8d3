#include "app/core/initialize_dialog.h"

#include <string>

#include "app/core/card_finish.h"
#include "app/core/card_preread.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_texts.h"
#include "app/core/entry_checks.h"
#include "app/core/operation_log.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "oplog/Jornet.h"

namespace pellam {

namespace {

constexpr LabelRow kInitializeLabels[] = {{1024, ""}, {1025, ""}, {3007, ""}, {1026, "(&D)"}, {1027, "(&N)"}};

constexpr std::int32_t kDeleteConfirmQuestion = 7010;
constexpr std::int32_t kNotInitialised = 7011;
constexpr std::int32_t kListLineNotDeleted = 7012;
constexpr std::int32_t kNotListed = 7014;
constexpr std::int32_t kRetryNotReset = 7009;

// A card-wait rule that accepts only the card the main window read.
CardWaitRule SameCardRule(ProgramContext& context, CardKind expected, std::int32_t wrong_kind_question) {
  return {expected, wrong_kind_question, [&context] { return SameCardAsRead(context); }};
}

}  // namespace

void InitializeDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  view.SetTitle(LookupText(state, kTemplate));
  SetLabels(view, state, kInitializeLabels);
  SetCommonButtons(view, state, kDialogOk);
  view.CheckRadio(kKeepId, true);
  view.ShowExclamationIcon(kIcon);
  code_card_ = context_.records().current_card_kind == CardKind::CodeCard;
  if (code_card_) {
    // A user-code card has no list line.
    for (const int control : {kDeleteQuestion, kDeleteId, kKeepId}) view.EnableControl(control, false);
  }
  TakeMessageOwner(view);
}

void InitializeDialog::OnOk(DialogView& view) {
  Messages& messages = context_.messages;
  bool delete_id = !code_card_ && !view.IsRadioChecked(kKeepId);
  if (delete_id && messages.AskConfirm(kDeleteConfirmQuestion, messages.QuestionCaption()) != kAnswerOk) {
    view.FocusDialog();
    return;
  }
  if (!OpenReaderForDialog(context_, view)) return;
  const CardWaitRule same_card = code_card_ ? SameCardRule(context_, CardKind::CodeCard, text::kNotCodeCard)
                                            : SameCardRule(context_, CardKind::UserCard, text::kNotUserCard);
  if (!WaitForDialogCard(context_, view, same_card)) return;

  if (code_card_) {
    if (!InitializeUserCodeCard(view)) return;
    FinishCardOperation(context_, view, text::kInitialised, [this] {
      WriteOperationLog(context_, ShownText(context_.records().card.user_code), JORNET_OP_INIT_CODE);
    });
    return;
  }
  if (!InitializeUserIdCard(view, delete_id)) return;
  FinishCardOperation(context_, view, text::kInitialised, [this, delete_id] {
    if (delete_id) DeleteListedId();
    // Code 8 stands for the operator's choice, even when nothing was deleted.
    WriteOperationLog(context_, FieldText(context_.records().card.user_id),
                      delete_id ? JORNET_OP_INIT_DELETE_ID : JORNET_OP_INIT_KEEP_ID);
  });
}

bool InitializeDialog::InitializeUserIdCard(DialogView& view, bool& delete_id) {
  // Without the user ID there is no list line to find: the card is
  // initialised and the list left alone.
  if (!ReadCardUserId(context_)) delete_id = false;
  if (context_.card.InitializeCard() == 0) return true;
  FailCardOperation(context_, view, kNotInitialised, context_.messages.QuestionCaption());
  return false;
}

bool InitializeDialog::InitializeUserCodeCard(DialogView& view) {
  SharedRecords& records = context_.records();
  ClearCardData(records);
  TextField<16>& code = records.card.user_code;
  if (context_.card.ReadUserCode(reinterpret_cast<std::uint8_t*>(code.bytes.data()), &code.length) == 0) {
    UserCodeToText(code);
  } else {
    code.bytes.fill('\0');
    code.length = 0;
  }
  if (context_.card.InitializeCard() == 0) return true;
  FailCardOperation(context_, view, kNotInitialised, context_.messages.QuestionCaption());
  return false;
}

void InitializeDialog::DeleteListedId() {
  AppState& state = context_.state;
  SharedRecords& records = context_.records();
  Messages& messages = context_.messages;
  IssueInfo& issue = records.issue;
  // The search wants a terminated ID; the card's may fill its whole buffer.
  const std::string user_id(FieldText(records.card.user_id));
  SearchIDRecord(state.user_id_rows.data(), state.user_id_count, user_id.c_str(),
                 static_cast<std::int32_t>(user_id.size()), &records.list_index, &issue.year, &issue.month, &issue.day,
                 &issue.issue_count);
  if (records.list_index < 0) {
    messages.ShowInformation(kNotListed, messages.QuestionCaption());
    return;
  }
  if (DeleteIDRecord(state.list_handle, records.list_index, state.user_id_rows.data(), &state.user_id_count) !=
      TALLIX_OK) {
    messages.ShowWarning(kListLineNotDeleted, messages.QuestionCaption());
  }
}

void ConfirmDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  view.SetTitle(LookupText(state, kTemplate));
  view.SetControlText(kStatement, LookupText(state, kStatement));
  SetCommonButtons(view, state, kDialogOk);
  view.ShowExclamationIcon(kIcon);
  TakeMessageOwner(view);
}

void ConfirmDialog::OnOk(DialogView& view) {
  if (!OpenReaderForDialog(context_, view)) return;
  if (!WaitForDialogCard(context_, view, SameCardRule(context_, CardKind::UserCard, text::kNotUserCard))) return;
  if (context_.card.ResetRetryCounter() != 0) {
    FailCardOperation(context_, view, kRetryNotReset, context_.messages.ErrorCaption());
    return;
  }
  // An unreadable user ID is logged empty; the card is unlocked all the same.
  ReadCardUserId(context_);
  FinishCardOperation(context_, view, text::kPinUnlocked, [this] {
    WriteOperationLog(context_, FieldText(context_.records().card.user_id), JORNET_OP_UNLOCK_PIN);
  });
}

}  // namespace pellam
