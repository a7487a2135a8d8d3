#include "app/win32/message_surface.h"

#include <windows.h>

#include <string>

namespace pellam_win32 {

namespace {

struct KindRow {
  pellam::MessageBoxKind kind;
  UINT style;
};

constexpr KindRow kStyles[] = {
    {pellam::MessageBoxKind::Warning, MB_ICONEXCLAMATION | MB_OK},
    {pellam::MessageBoxKind::WarningQuestion, MB_ICONEXCLAMATION | MB_OKCANCEL},
    {pellam::MessageBoxKind::Confirm, MB_ICONINFORMATION | MB_OKCANCEL},
    {pellam::MessageBoxKind::Information, MB_ICONINFORMATION | MB_OK},
};

}  // namespace

bool Win32MessageSurface::IsWindow(pellam::WindowRef window) {
  return window != pellam::kNoWindow && ::IsWindow(reinterpret_cast<HWND>(window));
}

bool Win32MessageSurface::ShowMessageBox(pellam::WindowRef owner, std::string_view text, std::string_view caption,
                                         pellam::MessageBoxKind kind) {
  UINT style = MB_OK;
  for (const KindRow& row : kStyles) {
    if (row.kind == kind) style = row.style;
  }
  HWND window = owner != pellam::kNoWindow ? reinterpret_cast<HWND>(owner) : ::GetActiveWindow();
  return ::MessageBoxA(window, std::string(text).c_str(), std::string(caption).c_str(), style) == IDOK;
}

void Win32MessageSurface::SetCursor(pellam::CursorShape shape) {
  ::SetCursor(::LoadCursorA(nullptr, shape == pellam::CursorShape::Wait ? IDC_WAIT : IDC_ARROW));
}

}  // namespace pellam_win32
