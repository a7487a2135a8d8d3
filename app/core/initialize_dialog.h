// InitializeDialog (5007): returns the card the main window read to blank,
// for a user-ID card optionally deleting its user ID from the user-ID list,
// and logs it. ConfirmDialog (5006): the PIN unlock of the card the main
// window read, after the operator's confirmation, and its log record.
#pragma once

#include <cstdint>

#include "app/core/operation_dialog.h"

namespace pellam {

class InitializeDialog final : public OperationDialog {
 public:
  static constexpr int kTemplate = 5007;
  static constexpr int kIcon = 1068;
  static constexpr int kDeleteQuestion = 1025;
  static constexpr int kDeleteId = 1026;
  static constexpr int kKeepId = 1027;

  explicit InitializeDialog(ProgramContext& context) : OperationDialog(context) {}

  void OnInit(DialogView& view) override;

 private:
  void OnOk(DialogView& view) override;
  bool code_card_ = false;
};

class ConfirmDialog final : public OperationDialog {
 public:
  static constexpr int kTemplate = 5006;
  static constexpr int kIcon = 1068;
  static constexpr int kStatement = 1023;

  explicit ConfirmDialog(ProgramContext& context) : OperationDialog(context) {}

  void OnInit(DialogView& view) override;

 private:
  void OnOk(DialogView& view) override;
};

}  // namespace pellam
