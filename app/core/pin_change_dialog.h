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
  static constexpr int kPinOn = 1010;
  static constexpr int kPinOff = 1011;
  static constexpr int kLockout = 2022;
  static constexpr int kLockoutSpinner = 2021;
  static constexpr int kPin = 2017;
  static constexpr int kPinAgain = 2018;

  explicit PinChangeDialog(ProgramContext& context) : context_(context) {}

  void OnInit(DialogView& view) override;
  void OnCommand(DialogView& view, int control, int notification) override;
  void OnDestroy(DialogView& view) override;

 private:
  void EnablePinDetails(DialogView& view, bool enable);
  void OnOk(DialogView& view);
  // The typed PIN settings into the entry record; false when a check refused
  // them or the operator declined a lock-out count of 0.
  bool CheckEntry(DialogView& view);
  bool WriteCard(DialogView& view);

  ProgramContext& context_;
  WindowRef saved_owner_ = kNoWindow;
};

}  // namespace pellam
