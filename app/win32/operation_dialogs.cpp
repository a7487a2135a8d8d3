#include "app/win32/operation_dialogs.h"

#include <memory>

#include "app/core/initialize_dialog.h"
#include "app/core/issue_dialog.h"
#include "app/core/pin_change_dialog.h"
#include "app/core/update_dialog.h"
#include "app/win32/operation_window.h"

namespace pellam_win32 {

namespace {

using MakeLogic = std::unique_ptr<pellam::DialogLogic> (*)(pellam::ProgramContext&);

struct OperationDialogRow {
  pellam::ChildDialog dialog;
  int template_id;
  MakeLogic make;
};

template <class Logic>
std::unique_ptr<pellam::DialogLogic> Make(pellam::ProgramContext& context) {
  return std::make_unique<Logic>(context);
}

template <class Logic>
constexpr OperationDialogRow Row(pellam::ChildDialog dialog) {
  return {dialog, Logic::kTemplate, &Make<Logic>};
}

// Each operation dialog: its logic and its template.
constexpr OperationDialogRow kOperationDialogs[] = {
    Row<pellam::IssueDialog>(pellam::ChildDialog::Issue),
    Row<pellam::IssueInfoDialog>(pellam::ChildDialog::IssueInfo),
    Row<pellam::UpdateDialog>(pellam::ChildDialog::Update),
    Row<pellam::PinChangeDialog>(pellam::ChildDialog::PinChange),
    Row<pellam::ConfirmDialog>(pellam::ChildDialog::Confirm),
    Row<pellam::InitializeDialog>(pellam::ChildDialog::Initialize),
};

}  // namespace

int RunOperationDialog(pellam::ChildDialog dialog, pellam::ProgramContext& context) {
  for (const OperationDialogRow& row : kOperationDialogs) {
    if (row.dialog != dialog) continue;
    OperationWindow window(row.make(context), context);
    return static_cast<int>(window.RunModal(row.template_id, nullptr));
  }
  return -1;
}

}  // namespace pellam_win32
