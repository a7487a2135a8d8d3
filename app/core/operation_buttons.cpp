#include "app/core/operation_buttons.h"

namespace pellam {

const OperationButtonRow* FindOperationButton(int control) {
  for (const OperationButtonRow& row : kOperationButtons) {
    if (row.control == control) return &row;
  }
  return nullptr;
}

int FocusRectangleRule::DrawsFor(DrawAction action, bool has_focus) {
  int draws = 0;
  if (!japanese_system_ && action == DrawAction::Focus && !has_focus) {
    if (focus_losses_ == 1) ++draws;
    ++focus_losses_;
  }
  if ((action == DrawAction::Entire && has_focus) || action == DrawAction::Focus) ++draws;
  return draws;
}

}  // namespace pellam
