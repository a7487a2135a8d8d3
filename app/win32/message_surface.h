// Message boxes and the cursor on Windows.
#pragma once

#include "app/core/message_helpers.h"

namespace pellam_win32 {

class Win32MessageSurface final : public pellam::MessageSurface {
 public:
  bool IsWindow(pellam::WindowRef window) override;
  bool ShowMessageBox(pellam::WindowRef owner, std::string_view text, std::string_view caption,
                      pellam::MessageBoxKind kind) override;
  void SetCursor(pellam::CursorShape shape) override;
};

}  // namespace pellam_win32
