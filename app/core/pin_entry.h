// The PIN settings part that the Issue and PIN change dialogs share: the
// two radios for PIN checking, the PIN, its re-entry and the lock-out count,
// and the nine controls that PIN checking off disables. The part is read and
// checked here for both dialogs (and for the command-line tool's batches,
// which give the same texts).
#pragma once

#include <cstdint>
#include <string>

#include "app/core/dialog_view.h"
#include "app/core/entry_checks.h"
#include "app/core/program_context.h"
#include "cardlib/cipher/secret_text.h"

namespace pellam::pin_entry {

inline constexpr int kPinOn = 1010;
inline constexpr int kPinOff = 1011;
inline constexpr int kLockout = 2022;
inline constexpr int kLockoutSpinner = 2021;
inline constexpr int kPin = 2017;
inline constexpr int kPinAgain = 2018;
inline constexpr int kPinDetails[] = {2021, 2018, 2017, 2022, 1014, 1013, 1012, 1001, 1028};

// What the operator gave in the part; the three texts count only with PIN
// checking on.
struct PinTexts {
  bool pin_check = true;
  corvex::SecretText pin;
  corvex::SecretText pin_again;
  std::string lockout;
};

void EnablePinDetails(DialogView& view, bool enable);

// The checked radio and, with PIN checking on, the three fields.
void ReadPinTexts(DialogView& view, PinTexts& texts);

// The part into the entry record: the PIN-check choice; with PIN checking off
// an empty PIN and lock-out count 0; else the PIN and count once they pass
// CheckPinEntry and, for a count of 0, question 7016 (`ask`). 0 when stored;
// else the refusing check's text, or 7016 when the operator declined.
std::int32_t StorePinEntry(const PinTexts& texts, EntryData& entry, const Question& ask);

// Both of the above for a dialog: a refusal is shown with the error caption,
// 7016 asked with the question caption. False when the part was refused or
// the question declined; the focus is back on the dialog then.
bool ReadPinEntry(ProgramContext& context, DialogView& view);

}  // namespace pellam::pin_entry
