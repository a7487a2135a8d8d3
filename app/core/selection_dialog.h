// SelectionDialog: the main window. Its initialisation does the start-up
// work; its first paint asks for the administrator card (private message
// 1025), and the program ends when that fails; its destruction closes and
// backs up the user-ID list. Each operation button runs its operation: the
// Issue dialog at once, the other four after the main window's pre-read.
#pragma once

#include "app/core/app_state.h"
#include "app/core/dialog_view.h"
#include "app/core/message_helpers.h"
#include "app/core/program_context.h"
#include "app/core/startup.h"

namespace pellam {

class SelectionDialog {
 public:
  static constexpr int kTemplate = 5001;
  static constexpr unsigned kGateMessage = 0x0400 + 1;  // the first private message
  static constexpr int kTitleControl = 1100;
  static constexpr int kHeadingControl = 3000;
  static constexpr int kVersionButton = 6008;
  static constexpr int kEndButton = 6007;
  static constexpr int kTitlePoints = 16;
  static constexpr int kAboutCommand = 16;  // the system-menu entry
  static constexpr const char* kMark = "SelectDialog";
  // EndDialog results: End button (OK), cancelled (close box, failed gate),
  // and a start-up that failed, after which the program exits with status 1.
  static constexpr int kResultOk = 1;
  static constexpr int kResultCancel = 2;
  static constexpr int kResultStartupFailed = -2;

  SelectionDialog(AppState& state, Messages& messages, StartupServices& services)
      : state_(state),
        messages_(messages),
        services_(services),
        context_{state, messages, services.card, services.pause} {}

  // Start-up, then the window's texts; false (and the dialog ended with
  // kResultStartupFailed) when start-up failed.
  bool OnInit(DialogView& view);
  // Called for every paint; only the first posts the gate message.
  void OnPaint(DialogView& view);
  void OnGateMessage(DialogView& view);
  void OnCommand(DialogView& view, int control);
  void OnSystemCommand(DialogView& view, int command);
  void OnDestroy(DialogView& view);

  // What the operations and their dialogs work with.
  ProgramContext& Context() { return context_; }

 private:
  AppState& state_;
  Messages& messages_;
  StartupServices& services_;
  ProgramContext context_;
  bool admin_card_requested_ = false;
};

}  // namespace pellam
