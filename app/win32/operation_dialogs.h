// The operation dialogs by their ChildDialog value: each is built over its
// logic and run modally without an owner.
#pragma once

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"

namespace pellam_win32 {

// The value the dialog ended with; -1 when it could not be created or
// `dialog` is not an operation dialog.
int RunOperationDialog(pellam::ChildDialog dialog, pellam::ProgramContext& context);

}  // namespace pellam_win32
