#include "app/core/issue_dialog.h"

#include <array>
#include <functional>

#include "app/core/card_use.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_texts.h"
#include "app/core/entry_checks.h"
#include "app/core/issue_entry.h"
#include "app/core/pin_entry.h"
#include "app/core/text_ids.h"

namespace pellam {

using namespace pin_entry;

namespace {

constexpr LabelRow kIssueLabels[] = {
    {3004, ""},      {1001, ""},      {1002, ""},      {1003, ""},      {1004, ""},      {1006, "(&U):"},
    {1007, "(&P):"}, {1008, "(&C):"}, {1009, ""},      {1010, "(&E)"},  {1011, "(&D)"},  {1028, ""},
    {1012, "(&L):"}, {1013, "(&I):"}, {1014, "(&R):"}, {1005, "(&N):"}, {3005, "(&O):"}, {1030, "(&T):"},
};

constexpr LimitRow kIssueLimits[] = {
    {2023, kLongestName},
    {2017, kLongestPin},
    {2018, kLongestPin},
    {2015, kLongestPassword},
    {2016, kLongestPassword},
    {2024, kLongestComment},
    {2014, kLongestUserId},
    {2022, 2},
    {2051, 8},
};

// The user-ID card's own controls besides the nine PIN details.
constexpr int kUserIdParts[] = {1006, 1007, 1008, 2014, 2015, 2016, 1004, 1009, 1010, 1011};

constexpr LabelRow kInfoLabels[] = {
    {1015, ""}, {1016, "(&C):"}, {1017, ""}, {1018, "(&Y):"}, {1019, "(&M):"}, {1020, "(&D):"},
};

constexpr LimitRow kInfoLimits[] = {{2045, 5}, {2047, 4}, {2048, 2}, {2049, 2}};

// How many bytes of each issue information field the checks read.
constexpr std::size_t kInfoRead = 5;

// The issue information's controls: count, year, month, day.
constexpr int kInfoControls[] = {2045, 2047, 2048, 2049};

void EnableAll(DialogView& view, std::span<const int> controls, bool enable) {
  for (const int control : controls) view.EnableControl(control, enable);
}

}  // namespace

void IssueDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  view.SetTitle(LookupText(state, kTemplate));
  SetLabels(view, state, kIssueLabels);
  view.ClearList(kCardUseList);
  view.AddListEntry(kCardUseList, LookupText(state, text::kUserIdCardUse));
  view.AddListEntry(kCardUseList, LookupText(state, text::kUserCodeCardUse));
  view.SetControlText(1029, LookupText(state, 1029) + "(&M):");
  SetLimits(view, kIssueLimits);
  SetCommonButtons(view, state, kOkButton);
  view.SetSpinnerRange(kLockoutSpinner, 0, kHighestLockout);
  view.SetSpinnerPosition(kLockoutSpinner, kDefaultLockout);
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

void IssueDialog::OnOk(DialogView& view) {
  IssueTexts texts;
  texts.user_id_card = view.SelectedListEntry(kCardUseList) != kUserCodeCardEntry;
  texts.user_code = view.ControlText(kUserCode, kCodeRead);
  texts.user_name = view.ControlText(kUserName, kTextRead);
  texts.comment = view.ControlText(kComment, kTextRead);
  if (texts.user_id_card) {
    texts.user_id = view.ControlText(kUserId, kTextRead);
    texts.password = view.SecretControlText(kPassword, kTextRead);
    texts.password_again = view.SecretControlText(kPasswordAgain, kTextRead);
    ReadPinTexts(view, texts);
  }
  Messages& messages = context_.messages;
  const IssueCheckResult result = CheckIssueEntry(context_, texts, AskOperator(messages));
  switch (result.outcome) {
    case IssueCheck::Accepted:
      view.EndDialog(kDialogOk);
      view.RunChild(ChildDialog::IssueInfo);
      return;
    case IssueCheck::Refused:
      messages.ShowWarning(result.text_id, messages.ErrorCaption());
      view.FocusDialog();
      return;
    case IssueCheck::Declined: view.FocusDialog(); return;
    case IssueCheck::ListFull:
      messages.ShowWarning(result.text_id, messages.ErrorCaption());
      view.EndDialog(kDialogOk);
      return;
  }
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
  view.SetSpinnerRange(kCountSpinner, 0, kHighestIssueCount);
  TakeMessageOwner(view);
}

bool IssueInfoDialog::CheckIssueInfo(DialogView& view) {
  std::string texts[std::size(kInfoControls)];
  for (std::size_t i = 0; i < std::size(kInfoControls); ++i) texts[i] = view.ControlText(kInfoControls[i], kInfoRead);
  const std::int32_t problem = CheckIssueInfoTexts(texts, context_.records().issue);
  if (problem == 0) return true;
  context_.messages.ShowWarning(problem, context_.messages.ErrorCaption());
  view.FocusDialog();
  return false;
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
  const bool recorded = RecordIssueAndCardUse();
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
  const std::vector<CardWrite> writes = IssueCardWrites(context_);
  return RunCardWrites(context_, view, writes);
}

bool IssueInfoDialog::RecordIssueAndCardUse() {
  if (!RecordIssue(context_)) return false;
  const bool user_card = context_.records().issue_card_kind == CardKind::UserCard;
  if (!WriteCardUse(user_card ? 0 : 1)) {
    context_.messages.ShowWarning(text::kCardUseNotStored, context_.messages.ErrorCaption());
    return false;
  }
  return true;
}

}  // namespace pellam
