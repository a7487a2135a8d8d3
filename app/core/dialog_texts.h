// The texts every operation dialog sets at initialisation: its title, its
// labels from the language table with their accelerator suffixes, its text
// limits and the common OK and Cancel captions. Each dialog declares them as
// tables.
#pragma once

#include <cstdint>
#include <span>

#include "app/core/app_state.h"
#include "app/core/dialog_view.h"

namespace pellam {

struct LabelRow {
  int control;         // its text is the language text of the same id
  const char* suffix;  // accelerator suffix such as "(&U):", or ""
};

struct LimitRow {
  int control;
  int bytes;
};

void SetLabels(DialogView& view, const AppState& state, std::span<const LabelRow> labels);
void SetLimits(DialogView& view, std::span<const LimitRow> limits);
// `ok_button` gets text 6000, button 2 text 6001.
void SetCommonButtons(DialogView& view, const AppState& state, int ok_button);

}  // namespace pellam
