// What every operation dialog shares: its OK button runs the dialog's own
// OK handler, Cancel ends it with no effect, and while it is open it owns
// the message boxes (the previous owner comes back when it is destroyed).
#pragma once

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"

namespace pellam {

class OperationDialog : public DialogLogic {
 public:
  void OnCommand(DialogView& view, int control, int notification) final;
  void OnDestroy(DialogView& view) final;

 protected:
  explicit OperationDialog(ProgramContext& context, int ok_button = kDialogOk)
      : context_(context), ok_button_(ok_button) {}

  virtual void OnOk(DialogView& view) = 0;
  // Any other command (radio clicks, a list's changed choice); none by default.
  virtual void OnOtherCommand(DialogView& /*view*/, int /*control*/, int /*notification*/) {}
  // The last step of initialisation: the dialog becomes the message owner.
  void TakeMessageOwner(DialogView& view);

  ProgramContext& context_;

 private:
  int ok_button_;
  WindowRef saved_owner_ = kNoWindow;
};

}  // namespace pellam
