// The card work every operation dialog shares: opening the reader with the
// window disabled, the card-wait loop with its questions, the check that the
// card on the reader is the one the main window read, and the failure path
// that closes the reader and cancels the dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"
#include "app/core/records.h"

namespace pellam {

// Disables the window, sets the wait cursor and opens the reader. On failure
// shows 9001 (error caption) and cancels the dialog; false then.
bool OpenReaderForDialog(ProgramContext& context, DialogView& view);

struct CardWaitRule {
  CardKind expected;
  std::int32_t wrong_kind_question;  // asked when a card of another kind answers
  // Runs once a card of the expected kind answers: 0 accepts it, anything
  // else is the question to ask instead. Empty accepts every such card.
  std::function<std::int32_t()> accept;
};

// Senses until a card the rule accepts lies on the reader (true). Each
// question has the question caption: OK pauses and senses again, Cancel
// closes the reader and cancels the dialog (false).
bool WaitForDialogCard(ProgramContext& context, DialogView& view, const CardWaitRule& rule);

// 0 when the card on the reader is the one the main window pre-read, else the
// question 9021 (also when either identifier is unknown).
std::int32_t SameCardAsRead(ProgramContext& context);

// One card write, and whether its failure is told under the question
// caption (else the error caption).
struct CardWrite {
  std::function<std::int32_t()> write;
  bool question_caption;
};

// Runs the writes in order; the first that fails shows 9015, closes the
// reader and cancels the dialog (false).
bool RunCardWrites(ProgramContext& context, DialogView& view, std::span<const CardWrite> writes);

// A failure once the reader is open: the warning, the reader closed, the
// dialog cancelled.
void FailCardOperation(ProgramContext& context, DialogView& view, std::int32_t text_id, std::string_view caption);

}  // namespace pellam
