// The card work of initialising a card and of unlocking its PIN, shared by
// the Initialise and confirmation dialogs and the command-line tool: what is
// read from the card for the records, the card call itself, the list line
// removed and the log line written.
#pragma once

#include <cstdint>

#include "app/core/program_context.h"

namespace pellam {

// Reads the card's user ID into the card record (empty when it cannot be
// read; `delete_id` is then cleared, since there is no line to find) and
// initialises the card. The card library's status.
std::int32_t InitialiseUserIdCard(ProgramContext& context, bool& delete_id);

// Reads the card's user code as text into the card record (empty when it
// cannot be read, or is 0) and initialises the card. The status.
std::int32_t InitialiseUserCodeCard(ProgramContext& context);

// The list line of the card record's user ID removed: 7014 when it is not
// listed, 7012 when the list could not be written (both question caption).
void DeleteListedId(ProgramContext& context);

// The log line of an initialisation: the user code (1792) or the user ID
// with the operator's choice (8 delete, 9 keep; 8 also when nothing was
// deleted).
void LogInitialise(ProgramContext& context, bool code_card, bool delete_id);

// Resets the count of failed PIN attempts; on success reads the card's user
// ID for the log (empty when unreadable: the card is unlocked all the same).
// The status of the reset.
std::int32_t UnlockPin(ProgramContext& context);

// The log line of a PIN unlock (7).
void LogUnlock(ProgramContext& context);

}  // namespace pellam
