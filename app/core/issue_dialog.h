// IssueDialog (5002): the data of a new card, checked field by field; on OK
// it ends and runs IssueInfoDialog (5003), which shows the issue count and
// date, lets the operator change them, and does the whole card operation:
// a blank card, its fields written, the user-ID list line, the log line and
// the card use remembered in the registry.
#pragma once

#include <cstdint>

#include "app/core/operation_dialog.h"

namespace pellam {

class IssueDialog final : public OperationDialog {
 public:
  static constexpr int kTemplate = 5002;
  static constexpr int kOkButton = 6000;
  static constexpr int kCardUseList = 2050;
  static constexpr int kUserId = 2014;
  static constexpr int kPassword = 2015;
  static constexpr int kPasswordAgain = 2016;
  static constexpr int kUserCode = 2051;
  static constexpr int kUserName = 2023;
  static constexpr int kComment = 2024;
  static constexpr int kUserCodeCardEntry = 1;

  explicit IssueDialog(ProgramContext& context) : OperationDialog(context, kOkButton) {}

  void OnInit(DialogView& view) override;

 private:
  void OnCardUseChanged(DialogView& view);
  void OnOtherCommand(DialogView& view, int control, int notification) override;
  void OnOk(DialogView& view) override;
};

class IssueInfoDialog final : public OperationDialog {
 public:
  static constexpr int kTemplate = 5003;
  static constexpr int kCount = 2045;
  static constexpr int kCountSpinner = 2046;
  static constexpr int kYear = 2047;
  static constexpr int kMonth = 2048;
  static constexpr int kDay = 2049;

  explicit IssueInfoDialog(ProgramContext& context) : OperationDialog(context) {}

  void OnInit(DialogView& view) override;

 private:
  void OnOk(DialogView& view) override;
  bool CheckIssueInfo(DialogView& view);
  bool WriteCard(DialogView& view);
  // The list line, the log line and the card use; false when the list line
  // (9006) or the card use (7017) could not be written.
  bool RecordIssueAndCardUse();
};

}  // namespace pellam
