// PinChangeDialog (5005): shows the PIN settings the main window read from a
// user-ID card, lets the operator switch PIN checking on or off and change
// the PIN and the lock-out count, and writes them to the same card, then
// logs the change.
#pragma once

#include <cstdint>

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"

namespace pellam {

class PinChangeDialog final : public DialogLogic {
 public:
  static constexpr int kTemplate = 5005;

  explicit PinChangeDialog(ProgramContext& context) : context_(context) {}

  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control, int notification) override;
  void OnDestroy(DialogView& view) override;

 private:
  void OnOk(DialogView& view);
  bool WriteCard(DialogView& view);

  ProgramContext& context_;
  WindowRef saved_owner_ = kNoWindow;
};

}  // namespace pellam
