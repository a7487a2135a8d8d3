#include "app/win32/operation_window.h"

#include "app/win32/operation_dialogs.h"

namespace pellam_win32 {

// The logic's notification codes and Cancel are the platform's.
static_assert(pellam::kNotifyClicked == BN_CLICKED);
static_assert(pellam::kNotifySelectionChanged == CBN_SELCHANGE);
static_assert(pellam::kDialogCancel == IDCANCEL);

int OperationWindow::RunChild(pellam::ChildDialog dialog) { return RunOperationDialog(dialog, context_); }

INT_PTR OperationWindow::OnMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/, bool& handled) {
  handled = true;
  switch (message) {
    case WM_INITDIALOG: logic_->OnInit(*this); return TRUE;
    // Cancel, Escape and the close box come as IDCANCEL, which every
    // operation dialog's logic ends without any effect.
    case WM_COMMAND: logic_->OnCommand(*this, LOWORD(wparam), HIWORD(wparam)); return TRUE;
    case WM_PAINT: ValidateOnly(); return TRUE;
    case WM_DESTROY: logic_->OnDestroy(*this); break;
    default: break;
  }
  handled = false;
  return FALSE;
}

}  // namespace pellam_win32
