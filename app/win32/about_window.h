// The version dialog's window (template 5503) over its logic.
#pragma once

#include "app/core/about_dialog.h"
#include "app/win32/dialog_host.h"

namespace pellam_win32 {

class AboutWindow final : public HostedDialog {
 public:
  explicit AboutWindow(pellam::AppState& state) : logic_(state), grey_(::CreateSolidBrush(kGrey)) {}
  ~AboutWindow() override { ::DeleteObject(grey_); }

 private:
  static constexpr COLORREF kGrey = RGB(128, 128, 128);

  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;

  pellam::AboutDialog logic_;
  HBRUSH grey_;
};

}  // namespace pellam_win32
