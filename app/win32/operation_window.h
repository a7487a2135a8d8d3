// The window of one operation dialog: a template from the resources with a
// portable DialogLogic behind it. Initialisation, commands and destruction go
// to the logic; the controls paint themselves.
#pragma once

#include <memory>

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"
#include "app/win32/dialog_host.h"

namespace pellam_win32 {

class OperationWindow final : public HostedDialog {
 public:
  OperationWindow(std::unique_ptr<pellam::DialogLogic> logic, pellam::ProgramContext& context)
      : logic_(std::move(logic)), context_(context) {}

  // The next operation dialog (IssueInfo from Issue) runs without an owner,
  // like every operation dialog.
  int RunChild(pellam::ChildDialog dialog) override;

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;

  std::unique_ptr<pellam::DialogLogic> logic_;
  pellam::ProgramContext& context_;
};

}  // namespace pellam_win32
