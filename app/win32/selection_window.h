// The main window (template 5001) over SelectionDialog: system-menu entry,
// icons, separator line, minimised painting, header colours, the
// owner-drawn operation buttons, and the child dialogs it runs.
#pragma once

#include "app/core/card_access.h"
#include "app/core/operation_buttons.h"
#include "app/core/selection_dialog.h"
#include "app/win32/dialog_host.h"

namespace pellam_win32 {

class SelectionWindow final : public HostedDialog {
 public:
  SelectionWindow(pellam::AppState& state, pellam::Messages& messages, pellam::StartupServices& services);

  int RunChild(pellam::ChildDialog dialog) override;

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  void OnInitDialog();
  void PaintMinimised();
  INT_PTR StaticColours(HDC dc, HWND control, bool& handled);

  pellam::AppState& state_;
  pellam::Messages& messages_;
  pellam::StartupServices& services_;
  pellam::SelectionDialog logic_;
  pellam::FocusRectangleRule focus_rule_;
  HICON icon_;
};

}  // namespace pellam_win32
