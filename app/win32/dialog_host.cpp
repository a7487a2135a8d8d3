#include "app/win32/dialog_host.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "cardlib/cipher/secure_wipe.h"

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
  // The window-text call stores at most size - 1 bytes and a zero.
  const std::size_t wanted = std::min<std::size_t>(max_bytes, INT_MAX - 1);
  std::string text(wanted + 1, '\0');
  const UINT length = ::GetDlgItemTextA(hwnd_, control, text.data(), static_cast<int>(text.size()));
  text.resize(std::min<std::size_t>(length, wanted));
  return text;
}

void HostedDialog::SetSecretControlText(int control, const corvex::SecretText& text) {
  corvex::SecretText terminated(text);
  terminated.Append('\0');
  ::SetDlgItemTextA(hwnd_, control, terminated.View().data());
}

corvex::SecretText HostedDialog::SecretControlText(int control, std::size_t max_bytes) {
  // As ControlText, through a buffer that is wiped once the text is copied.
  const std::size_t wanted = std::min<std::size_t>(max_bytes, INT_MAX - 1);
  std::vector<char> buffer(wanted + 1, '\0');
  const corvex::ScopedWipe buffer_wipe(buffer.data(), buffer.size());
  const UINT length = ::GetDlgItemTextA(hwnd_, control, buffer.data(), static_cast<int>(buffer.size()));
  return corvex::SecretText(std::string_view(buffer.data(), std::min<std::size_t>(length, wanted)));
}

void HostedDialog::EnableControl(int control, bool enable) { ::EnableWindow(::GetDlgItem(hwnd_, control), enable); }

void HostedDialog::CheckRadio(int control, bool checked) {
  ::CheckDlgButton(hwnd_, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool HostedDialog::IsRadioChecked(int control) { return ::IsDlgButtonChecked(hwnd_, control) == BST_CHECKED; }

void HostedDialog::SetTextLimit(int control, int bytes) {
  ::SendDlgItemMessageA(hwnd_, control, EM_SETLIMITTEXT, static_cast<WPARAM>(bytes), 0);
}

void HostedDialog::SetSpinnerRange(int control, int lowest, int highest) {
  ::SendDlgItemMessageA(hwnd_, control, UDM_SETRANGE32, static_cast<WPARAM>(lowest), static_cast<LPARAM>(highest));
}

void HostedDialog::SetSpinnerPosition(int control, int position) {
  ::SendDlgItemMessageA(hwnd_, control, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
}

void HostedDialog::ClearList(int control) { ::SendDlgItemMessageA(hwnd_, control, CB_RESETCONTENT, 0, 0); }

void HostedDialog::AddListEntry(int control, std::string_view text) {
  // Inserting at a position (-1: the end) keeps this order even in a list
  // whose template asks for sorting.
  const std::string entry(text);
  ::SendDlgItemMessageA(hwnd_, control, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(entry.c_str()));
}

void HostedDialog::SelectListEntry(int control, int index) {
  ::SendDlgItemMessageA(hwnd_, control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int HostedDialog::SelectedListEntry(int control) {
  const LRESULT index = ::SendDlgItemMessageA(hwnd_, control, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void HostedDialog::ShowSystemIcon(int control, LPCSTR icon) {
  // A shared system icon: it is never destroyed.
  HICON handle = ::LoadIconA(nullptr, icon);
  ::SendDlgItemMessageA(hwnd_, control, STM_SETICON, reinterpret_cast<WPARAM>(handle), 0);
}

void HostedDialog::ShowExclamationIcon(int control) { ShowSystemIcon(control, IDI_EXCLAMATION); }

void HostedDialog::ShowInformationIcon(int control) { ShowSystemIcon(control, IDI_INFORMATION); }

void HostedDialog::SetFaceBackground(int control) {
  ::SendDlgItemMessageA(hwnd_, control, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(::GetSysColor(COLOR_BTNFACE)));
}

void HostedDialog::EnableWindow(bool enable) { ::EnableWindow(hwnd_, enable ? TRUE : FALSE); }

void HostedDialog::FocusDialog() {
  // Activating the dialog gives the focus back to the control that had it;
  // when none of its controls has it then, the first tab stop gets it.
  ::SetActiveWindow(hwnd_);
  HWND focus = ::GetFocus();
  if (focus != nullptr && ::IsChild(hwnd_, focus)) return;
  HWND first = ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (first == nullptr) {
    ::SetFocus(hwnd_);
    return;
  }
  ::SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
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
