// The main window's half of the update, PIN change, PIN unlock and
// initialise operations: open the reader, wait for a card of the right kind
// issued under this run's administrator card, read what the dialog needs into
// the shared records (with the card's identifier, so that the dialog writes
// only to that card), close the reader, then run the dialog.
#pragma once

#include <cstdint>

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"
#include "app/core/records.h"

namespace pellam {

inline constexpr int kWaitFound = 0;
inline constexpr int kWaitGaveUp = 1;

// 0 once a user-ID card owned by AdminIdentity lies on the reader, 1 when the
// operator gave up. The reader is open.
int WaitForOwnUserCard(ProgramContext& context);

// 0 with `kind` UserCard (owned by AdminIdentity) or CodeCard, 1 when the
// operator gave up. The reader is open.
int WaitForEditableCard(ProgramContext& context, CardKind& kind);

// Reads the sensed card's identifier into the shared records, so that the
// dialog can write to that card alone; false (and the identifier unknown)
// when it cannot be read.
bool RecordReadCard(ProgramContext& context);

// The card's 32-bit user code (most significant byte first in the first four
// bytes) replaced by its signed decimal text; four zero bytes stay as they are.
void UserCodeToText(TextField<16>& user_code);

// The four buttons' workflows; each ends by running its dialog on `main`, or
// without one when the reader cannot be opened or the operator gives up.
void RunUpdateOperation(ProgramContext& context, DialogView& main);
void RunPinChangeOperation(ProgramContext& context, DialogView& main);
void RunPinUnlockOperation(ProgramContext& context, DialogView& main);
void RunInitialiseOperation(ProgramContext& context, DialogView& main);

}  // namespace pellam
