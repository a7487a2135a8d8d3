#include "app/core/dialog_texts.h"

namespace pellam {

void SetLabels(DialogView& view, const AppState& state, std::span<const LabelRow> labels) {
  for (const LabelRow& row : labels) view.SetControlText(row.control, LookupText(state, row.control) + row.suffix);
}

void SetLimits(DialogView& view, std::span<const LimitRow> limits) {
  for (const LimitRow& row : limits) view.SetTextLimit(row.control, row.bytes);
}

void SetCommonButtons(DialogView& view, const AppState& state, int ok_button) {
  view.SetControlText(ok_button, BufferText(state.ok_text));
  view.SetControlText(kDialogCancel, BufferText(state.cancel_text));
}

}  // namespace pellam
