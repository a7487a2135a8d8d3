#include "app/core/selection_dialog.h"

#include "app/core/admin_id_dialog.h"
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

void SelectionDialog::OnCommand(DialogView& view, int control) {
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
