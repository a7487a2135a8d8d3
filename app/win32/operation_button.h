// OperationButton: the main window's owner-drawn operation buttons. Enter on
// a focused button clicks it; the main window draws each button with its
// icon, caption, separator and description in the current language.
#pragma once

#include <windows.h>

#include "app/core/app_state.h"
#include "app/core/operation_buttons.h"

namespace pellam_win32 {

// Makes the button `control` of `dialog` turn Enter into a click of itself.
void AttachOperationButton(HWND dialog, int control);

// Draws one operation button; other controls are left alone. Positions are
// the main window's dialog units converted with `dialog`'s conversion.
void DrawOperationButton(HWND dialog, const DRAWITEMSTRUCT& item, const pellam::AppState& state,
                         pellam::FocusRectangleRule& focus_rule);

}  // namespace pellam_win32
