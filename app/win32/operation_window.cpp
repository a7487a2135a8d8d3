#include "app/win32/operation_window.h"

#include "app/win32/operation_dialogs.h"

namespace pellam_win32 {

// The logic's notification codes are the platform's.
static_assert(pellam::kNotifyClicked == BN_CLICKED);
static_assert(pellam::kNotifySelectionChanged == CBN_SELCHANGE);

int OperationWindow::RunChild(pellam::ChildDialog dialog) { return RunOperationDialog(dialog, context_); }

void OperationWindow::EndDialog(int result) {
  ended_ = true;
  HostedDialog::EndDialog(result);
}

INT_PTR OperationWindow::OnMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/, bool& handled) {
  handled = true;
  switch (message) {
    case WM_INITDIALOG: logic_->OnInit(*this); return TRUE;
    case WM_COMMAND:
      logic_->OnCommand(*this, LOWORD(wparam), HIWORD(wparam));
      // Cancel, Escape and the close box end every operation dialog without
      // any effect, also when the logic leaves Cancel to the platform.
      if (LOWORD(wparam) == IDCANCEL && !ended_) EndDialog(pellam::kDialogCancel);
      return TRUE;
    case WM_PAINT: ValidateOnly(); return TRUE;
    case WM_DESTROY: logic_->OnDestroy(*this); break;
    default: break;
  }
  handled = false;
  return FALSE;
}

}  // namespace pellam_win32
