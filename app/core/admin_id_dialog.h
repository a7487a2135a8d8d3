// AdminIdDialog: the administrator-card gate. It polls the reader every
// 500 ms (the timer is stopped while a tick is handled, so no tick arrives
// behind a message box) and keeps the reader open between ticks. It ends
// with 0 once the administrator ID is in AdminIdentity, with 1 when the
// operator cancels or the reader fails.
#pragma once

#include "app/core/app_state.h"
#include "app/core/card_access.h"
#include "app/core/dialog_view.h"
#include "app/core/message_helpers.h"

namespace pellam {

class AdminIdDialog {
 public:
  static constexpr int kTemplate = 5000;
  static constexpr int kIconControl = 1068;
  static constexpr int kInstructionControl = 1000;
  static constexpr int kCancelButton = 2;
  static constexpr int kTimer = 1234;
  static constexpr unsigned kTimerPeriod = 500;
  static constexpr int kResultRead = 0;
  static constexpr int kResultFailed = 1;
  static constexpr const char* kMark = "GetAdminDialog";

  AdminIdDialog(AppState& state, Messages& messages, CardAccess& card)
      : state_(state), messages_(messages), card_(card) {}

  // Texts, the window mark, the message owner, the icon, and the first timer.
  void OnInit(DialogView& view);
  void OnTimer(DialogView& view);
  // Cancel button, Escape or the close box.
  void OnCancel(DialogView& view);
  void OnDestroy(DialogView& view);

 private:
  // The card on the reader was not an administrator card; true when the
  // dialog ended.
  bool AskForAdminCard(DialogView& view);

  AppState& state_;
  Messages& messages_;
  CardAccess& card_;
  WindowRef saved_owner_ = kNoWindow;
};

}  // namespace pellam
