// UpdateDialog (5004): shows the data the main window read from an issued
// card, lets the operator change the password (user-ID cards), the user
// code, the user name and the comment, and writes them back to the same
// card, then logs the update.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/operation_dialog.h"

namespace pellam {

class UpdateDialog final : public OperationDialog {
 public:
  static constexpr int kTemplate = 5004;
  static constexpr int kIssueCount = 2058;
  static constexpr int kIssueDate = 2057;
  static constexpr int kUserId = 2059;
  static constexpr int kPassword = 2015;
  static constexpr int kPasswordAgain = 2016;
  static constexpr int kUserCode = 2051;
  static constexpr int kUserName = 2023;
  static constexpr int kComment = 2024;

  explicit UpdateDialog(ProgramContext& context) : OperationDialog(context) {}

  void OnInit(DialogView& view) override;

 private:
  void OnOk(DialogView& view) override;
  // The checks of each card kind; 0 when all passed (the entry record then
  // holds the new data), else the refused check's message.
  std::int32_t CheckUserIdCard(DialogView& view);
  std::int32_t CheckUserCodeCard(DialogView& view);
  bool WriteCard(DialogView& view);
  void RecordUpdate();

  bool code_card_ = false;
  std::int32_t operation_ = 0;  // the log's operation code
};

}  // namespace pellam
