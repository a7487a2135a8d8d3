#include "app/core/selection_dialog.h"

#include "app/core/admin_id_dialog.h"
#include "app/core/card_preread.h"
#include "app/core/text_ids.h"

namespace pellam {

bool SelectionDialog::OnInit(DialogView& view) {
  if (!RunStartup(state_, messages_, services_)) {
    view.EndDialog(kResultStartupFailed);
    return false;
  }
  view.SetTitle(LookupText(state_, text::kMainTitle));
  view.SetControlText(kHeadingControl, LookupText(state_, text::kMainHeading));
  view.SetControlText(kEndButton, LookupText(state_, text::kEndButton));
  view.SetControlText(kVersionButton, LookupText(state_, text::kVersionButton));
  view.SetControlFont(kTitleControl, kTitlePoints);
  view.SetControlText(kTitleControl, LookupText(state_, text::kProgramTitle));
  view.SetMark(kMark);
  state_.message_owner = view.Window();
  return true;
}

void SelectionDialog::OnPaint(DialogView& view) {
  if (admin_card_requested_) return;
  admin_card_requested_ = true;
  view.PostToSelf(kGateMessage);
}

void SelectionDialog::OnGateMessage(DialogView& view) {
  if (view.RunChild(ChildDialog::AdminId) != AdminIdDialog::kResultRead) view.EndDialog(kResultCancel);
}

namespace {

struct OperationRow {
  int button;
  void (*run)(ProgramContext& context, DialogView& main);
};

void RunIssueOperation(ProgramContext& /*context*/, DialogView& main) { main.RunChild(ChildDialog::Issue); }

// The five operation buttons and what each runs.
constexpr OperationRow kOperations[] = {
    {6002, RunIssueOperation},     {6003, RunUpdateOperation},     {6004, RunPinChangeOperation},
    {6005, RunPinUnlockOperation}, {6006, RunInitialiseOperation},
};

}  // namespace

void SelectionDialog::OnCommand(DialogView& view, int control) {
  for (const OperationRow& row : kOperations) {
    if (row.button != control) continue;
    row.run(context_, view);
    ClearSecretFields(context_.records());
    return;
  }
  if (control == kVersionButton) {
    view.RunChild(ChildDialog::About);
  } else if (control == kEndButton) {
    view.EndDialog(kResultOk);
  }
}

void SelectionDialog::OnSystemCommand(DialogView& view, int command) {
  if (command == kAboutCommand) view.RunChild(ChildDialog::About);
}

void SelectionDialog::OnDestroy(DialogView& view) {
  RunExitPath(state_, messages_);
  view.RemoveMark(kMark);
}

}  // namespace pellam
