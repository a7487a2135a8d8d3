#include "app/core/operation_dialog.h"

namespace pellam {

void OperationDialog::OnCommand(DialogView& view, int control, int notification) {
  if (control == ok_button_ && notification == kNotifyClicked) {
    OnOk(view);
  } else if (control == kDialogCancel) {
    view.EndDialog(kDialogCancel);
  } else {
    OnOtherCommand(view, control, notification);
  }
}

void OperationDialog::OnDestroy(DialogView& /*view*/) { context_.state.message_owner = saved_owner_; }

void OperationDialog::TakeMessageOwner(DialogView& view) {
  saved_owner_ = context_.state.message_owner;
  context_.state.message_owner = view.Window();
}

}  // namespace pellam
