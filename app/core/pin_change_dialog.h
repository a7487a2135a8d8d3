// PinChangeDialog (5005): shows the PIN settings the main window read from a
// user-ID card, lets the operator switch PIN checking on or off and change
// the PIN and the lock-out count, and writes them to the same card, then
// logs the change.
#pragma once

#include <cstdint>

#include "app/core/operation_dialog.h"

namespace pellam {

class PinChangeDialog final : public OperationDialog {
 public:
  static constexpr int kTemplate = 5005;

  explicit PinChangeDialog(ProgramContext& context) : OperationDialog(context) {}

  void OnInit(DialogView& view) override;

 private:
  void OnOk(DialogView& view) override;
  void OnOtherCommand(DialogView& view, int control, int notification) override;
  bool WriteCard(DialogView& view);
};

}  // namespace pellam
