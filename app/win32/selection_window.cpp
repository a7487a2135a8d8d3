#include "app/win32/selection_window.h"

#include "app/win32/about_window.h"
#include "app/win32/admin_id_window.h"
#include "app/win32/operation_button.h"
#include "app/win32/operation_dialogs.h"

namespace pellam_win32 {

namespace {

constexpr int kIconResource = 128;
constexpr int kAboutMenuText = 101;
constexpr int kSeparator = 1072;
constexpr int kHeaderBand = 1073;
constexpr int kTitleLine = 1100;
constexpr COLORREF kTitleColour = RGB(55, 55, 55);
constexpr COLORREF kWhite = RGB(255, 255, 255);

}  // namespace

SelectionWindow::SelectionWindow(pellam::AppState& state, pellam::Messages& messages, pellam::StartupServices& services)
    : state_(state),
      messages_(messages),
      services_(services),
      logic_(state, messages, services),
      focus_rule_(false),
      icon_(::LoadIconA(ProgramInstance(), MAKEINTRESOURCEA(kIconResource))) {}

int SelectionWindow::RunChild(pellam::ChildDialog dialog) {
  if (dialog == pellam::ChildDialog::AdminId) {
    AdminIdWindow window(state_, messages_, services_.card);
    return static_cast<int>(window.RunModal(pellam::AdminIdDialog::kTemplate, hwnd()));
  }
  if (dialog == pellam::ChildDialog::About) {
    AboutWindow window(state_);
    return static_cast<int>(window.RunModal(pellam::AboutDialog::kTemplate, hwnd()));
  }
  // The operation dialogs have no owner, so the main window is disabled by
  // hand while one runs: a second operation started underneath would share
  // the records and the reader with the first.
  ::EnableWindow(hwnd(), FALSE);
  const int result = RunOperationDialog(dialog, logic_.Context());
  ::EnableWindow(hwnd(), TRUE);
  ::SetActiveWindow(hwnd());
  return result;
}

void SelectionWindow::OnInitDialog() {
  char about_text[256] = {};
  if (::LoadStringA(ProgramInstance(), kAboutMenuText, about_text, sizeof about_text) > 0) {
    HMENU menu = ::GetSystemMenu(hwnd(), FALSE);
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, pellam::SelectionDialog::kAboutCommand, about_text);
  }
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  // The separator is one pixel high, whatever the dialog units give.
  RECT line{8, 266, 8 + 352, 266};
  ::MapDialogRect(hwnd(), &line);
  ::MoveWindow(::GetDlgItem(hwnd(), kSeparator), line.left, line.top, line.right - line.left, 1, FALSE);

  for (const pellam::OperationButtonRow& row : pellam::kOperationButtons) AttachOperationButton(hwnd(), row.control);

  logic_.OnInit(*this);
  // The focus rule depends on the system's locale, known after start-up.
  focus_rule_ = pellam::FocusRectangleRule(state_.JapaneseSystem());
}

void SelectionWindow::PaintMinimised() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd(), &paint);
  ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int left = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int top = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, left, top, icon_);
  ::EndPaint(hwnd(), &paint);
}

INT_PTR SelectionWindow::StaticColours(HDC dc, HWND control, bool& handled) {
  const int id = ::GetDlgCtrlID(control);
  if (id != kTitleLine && id != kHeaderBand) {
    handled = false;
    return FALSE;
  }
  if (id == kTitleLine) ::SetTextColor(dc, kTitleColour);
  ::SetBkColor(dc, kWhite);
  return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
}

INT_PTR SelectionWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == pellam::SelectionDialog::kAboutCommand) {
        logic_.OnSystemCommand(*this, pellam::SelectionDialog::kAboutCommand);
        return TRUE;
      }
      break;
    case WM_PAINT:
      if (::IsIconic(hwnd())) {
        PaintMinimised();
        logic_.OnPaint(*this);
        return TRUE;
      }
      logic_.OnPaint(*this);
      break;  // the dialog's own painting
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(icon_);
    case pellam::SelectionDialog::kGateMessage: logic_.OnGateMessage(*this); return TRUE;
    case WM_COMMAND:
      // Escape: the main window has no Cancel button, and Escape never closes it.
      if (LOWORD(wparam) == IDCANCEL) return TRUE;
      // Owner-drawn buttons also notify double-clicks; only a click (of the
      // mouse or the keyboard) starts an operation.
      if (HIWORD(wparam) != BN_CLICKED) return TRUE;
      logic_.OnCommand(*this, LOWORD(wparam));
      return TRUE;
    case WM_CLOSE: EndDialog(pellam::SelectionDialog::kResultCancel); return TRUE;
    case WM_CTLCOLORSTATIC:
      return StaticColours(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam), handled);
    case WM_DRAWITEM:
      DrawOperationButton(hwnd(), *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam), state_, focus_rule_);
      return TRUE;
    case WM_DESTROY: logic_.OnDestroy(*this); break;
    default: break;
  }
  handled = false;
  return FALSE;
}

}  // namespace pellam_win32
