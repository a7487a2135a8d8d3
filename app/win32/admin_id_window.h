// The administrator-ID dialog's window (template 5000) over its logic.
#pragma once

#include "app/core/admin_id_dialog.h"
#include "app/win32/dialog_host.h"

namespace pellam_win32 {

class AdminIdWindow final : public HostedDialog {
 public:
  AdminIdWindow(pellam::AppState& state, pellam::Messages& messages, pellam::CardAccess& card)
      : logic_(state, messages, card) {}

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;

  pellam::AdminIdDialog logic_;
};

}  // namespace pellam_win32
