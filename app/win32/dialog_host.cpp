#include "app/win32/dialog_host.h"

#include <string>

namespace pellam_win32 {

HINSTANCE ProgramInstance() { return ::GetModuleHandleA(nullptr); }

HostedDialog::~HostedDialog() {
  for (HFONT font : fonts_) ::DeleteObject(font);
}

INT_PTR HostedDialog::RunModal(int template_id, HWND owner) {
  return ::DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(template_id), owner, &HostedDialog::Procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK HostedDialog::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrA(window, DWLP_USER, lparam);
    reinterpret_cast<HostedDialog*>(lparam)->hwnd_ = window;
  }
  auto* self = reinterpret_cast<HostedDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  bool handled = false;
  const INT_PTR answer = self->OnMessage(message, wparam, lparam, handled);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(window, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return handled ? answer : FALSE;
}

void HostedDialog::SetTitle(std::string_view text) { ::SetWindowTextA(hwnd_, std::string(text).c_str()); }

void HostedDialog::SetControlText(int control, std::string_view text) {
  ::SetDlgItemTextA(hwnd_, control, std::string(text).c_str());
}

std::string HostedDialog::ControlText(int control, std::size_t max_bytes) {
  std::string text(max_bytes + 1, '\0');
  const UINT length = ::GetDlgItemTextA(hwnd_, control, text.data(), static_cast<int>(text.size()));
  text.resize(length);
  return text;
}

void HostedDialog::EnableControl(int control, bool enable) { ::EnableWindow(::GetDlgItem(hwnd_, control), enable); }

void HostedDialog::CheckRadio(int control, bool checked) {
  ::CheckDlgButton(hwnd_, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

void HostedDialog::SetControlFont(int control, int points) {
  HDC screen = ::GetDC(hwnd_);
  const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
  ::ReleaseDC(hwnd_, screen);
  HFONT font = ::CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "");
  if (font == nullptr) return;
  fonts_.push_back(font);
  ::SendDlgItemMessageA(hwnd_, control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void HostedDialog::SetMark(const char* name) { ::SetPropA(hwnd_, name, reinterpret_cast<HANDLE>(1)); }

void HostedDialog::RemoveMark(const char* name) { ::RemovePropA(hwnd_, name); }

void HostedDialog::StartTimer(int timer, unsigned milliseconds) {
  ::SetTimer(hwnd_, static_cast<UINT_PTR>(timer), milliseconds, nullptr);
}

void HostedDialog::StopTimer(int timer) { ::KillTimer(hwnd_, static_cast<UINT_PTR>(timer)); }

void HostedDialog::PostToSelf(unsigned message) { ::PostMessageA(hwnd_, message, 0, 0); }

int HostedDialog::RunChild(pellam::ChildDialog /*dialog*/) { return -1; }

void HostedDialog::EndDialog(int result) { ::EndDialog(hwnd_, result); }

void HostedDialog::ValidateOnly() {
  PAINTSTRUCT paint;
  ::BeginPaint(hwnd_, &paint);
  ::EndPaint(hwnd_, &paint);
}

}  // namespace pellam_win32
