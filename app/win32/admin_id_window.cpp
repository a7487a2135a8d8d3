#include "app/win32/admin_id_window.h"

namespace pellam_win32 {

INT_PTR AdminIdWindow::OnMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/, bool& handled) {
  handled = true;
  switch (message) {
    case WM_INITDIALOG: logic_.OnInit(*this); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL) {
        logic_.OnCancel(*this);
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wparam == static_cast<WPARAM>(pellam::AdminIdDialog::kTimer)) {
        logic_.OnTimer(*this);
        return TRUE;
      }
      break;
    case WM_PAINT: ValidateOnly(); return TRUE;
    case WM_DESTROY: logic_.OnDestroy(*this); break;
    default: break;
  }
  handled = false;
  return FALSE;
}

}  // namespace pellam_win32
