#include "app/core/initialize_dialog.h"

#include "app/core/card_finish.h"
#include "app/core/card_reset.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_texts.h"
#include "app/core/text_ids.h"

namespace pellam {

namespace {

constexpr LabelRow kInitializeLabels[] = {{1024, ""}, {1025, ""}, {3007, ""}, {1026, "(&D)"}, {1027, "(&N)"}};

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
  if (delete_id && messages.AskConfirm(text::kDeleteIdQuestion, messages.QuestionCaption()) != kAnswerOk) {
    view.FocusDialog();
    return;
  }
  if (!OpenReaderForDialog(context_, view)) return;
  const CardWaitRule same_card = code_card_ ? SameCardRule(context_, CardKind::CodeCard, text::kNotCodeCard)
                                            : SameCardRule(context_, CardKind::UserCard, text::kNotUserCard);
  if (!WaitForDialogCard(context_, view, same_card)) return;

  if (code_card_) {
    if (InitialiseUserCodeCard(context_) != 0) {
      FailCardOperation(context_, view, text::kNotInitialised, context_.messages.QuestionCaption());
      return;
    }
    FinishCardOperation(context_, view, text::kInitialised, [this] { LogInitialise(context_, true, false); });
    return;
  }
  if (InitialiseUserIdCard(context_, delete_id) != 0) {
    FailCardOperation(context_, view, text::kNotInitialised, context_.messages.QuestionCaption());
    return;
  }
  FinishCardOperation(context_, view, text::kInitialised, [this, delete_id] {
    if (delete_id) DeleteListedId(context_);
    LogInitialise(context_, false, delete_id);
  });
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
  if (UnlockPin(context_) != 0) {
    FailCardOperation(context_, view, text::kRetryNotReset, context_.messages.ErrorCaption());
    return;
  }
  FinishCardOperation(context_, view, text::kPinUnlocked, [this] { LogUnlock(context_); });
}

}  // namespace pellam
