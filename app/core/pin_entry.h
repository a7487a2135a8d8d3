// The PIN settings part that the Issue and PIN change dialogs share: the
// two radios for PIN checking, the PIN, its re-entry and the lock-out count,
// and the nine controls that PIN checking off disables.
#pragma once

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"

namespace pellam::pin_entry {

inline constexpr int kPinOn = 1010;
inline constexpr int kPinOff = 1011;
inline constexpr int kLockout = 2022;
inline constexpr int kLockoutSpinner = 2021;
inline constexpr int kPin = 2017;
inline constexpr int kPinAgain = 2018;
inline constexpr int kPinDetails[] = {2021, 2018, 2017, 2022, 1014, 1013, 1012, 1001, 1028};

void EnablePinDetails(DialogView& view, bool enable);

// The checked radio into the entry record's PIN-check choice; with PIN
// checking off an empty PIN and lock-out count 0, else the typed PIN and
// count once they pass their checks (9803, 9703, 7015, 9903, 9909, 9702,
// each with the error caption) and, for a count of 0, question 7016. False
// when a check refused them or the operator declined; the focus is back on
// the dialog then.
bool ReadPinEntry(ProgramContext& context, DialogView& view);

}  // namespace pellam::pin_entry
