#include "app/win32/about_window.h"

namespace pellam_win32 {

INT_PTR AboutWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_INITDIALOG: logic_.OnInit(*this); return TRUE;
    case WM_CTLCOLORSTATIC:
      // The program name over the picture: white on the picture's grey band.
      if (::GetDlgCtrlID(reinterpret_cast<HWND>(lparam)) == pellam::AboutDialog::kCaptionControl) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        ::SetTextColor(dc, RGB(255, 255, 255));
        ::SetBkColor(dc, kGrey);
        return reinterpret_cast<INT_PTR>(grey_);
      }
      // The development-keys warning: red, on the dialog's own face.
      if (::GetDlgCtrlID(reinterpret_cast<HWND>(lparam)) == pellam::AboutDialog::kDevelopmentKeysControl) {
        HDC dc = reinterpret_cast<HDC>(wparam);
        ::SetTextColor(dc, RGB(192, 0, 0));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(LOWORD(wparam));
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
