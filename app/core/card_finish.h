// The end of every operation dialog's card work once the card has been
// changed: the card's user ID read for the log, and the reader closed with
// the operation recorded whether or not the close succeeded.
#pragma once

#include <cstdint>
#include <functional>

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"

namespace pellam {

// Clears the card record and reads the card's user ID into it (the password
// that comes with it is wiped at once). When the read fails the user ID is
// empty with length 0; false then.
bool ReadCardUserId(ProgramContext& context);

// Closes the reader and runs `record` (list and log) either way, since the
// card is already changed. A failed close then shows 9009 (error caption)
// and cancels the dialog; otherwise `done_text` is shown (information
// caption), the shared records are cleared and the dialog ends with OK.
void FinishCardOperation(ProgramContext& context, DialogView& view, std::int32_t done_text,
                         const std::function<void()>& record);

}  // namespace pellam
