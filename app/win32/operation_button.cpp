#include "app/win32/operation_button.h"

#include <commctrl.h>

#include "app/win32/dialog_host.h"

namespace pellam_win32 {

namespace {

constexpr UINT_PTR kSubclassId = 6002;
constexpr COLORREF kTransparent = RGB(255, 0, 255);

// A key-down of Enter aimed at the button becomes a click of it, before the
// dialog can treat Enter as a press of its default button.
LRESULT CALLBACK ButtonProcedure(HWND button, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR /*id*/,
                                 DWORD_PTR /*data*/) {
  if (message == WM_GETDLGCODE && lparam != 0) {
    const MSG* pending = reinterpret_cast<const MSG*>(lparam);
    if (pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
      return DLGC_WANTMESSAGE | ::DefSubclassProc(button, message, wparam, lparam);
    }
  }
  if (message == WM_KEYDOWN && wparam == VK_RETURN) {
    ::SendMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(button, &ButtonProcedure, kSubclassId);
  return ::DefSubclassProc(button, message, wparam, lparam);
}

// A point of the button in the main window's dialog units, in pixels of the
// draw request's device context.
POINT ToPixels(HWND dialog, const RECT& button, int x, int y) {
  RECT units{x, y, x, y};
  ::MapDialogRect(dialog, &units);
  return POINT{button.left + units.left, button.top + units.top};
}

pellam::DrawAction ActionOf(UINT action) {
  if (action & ODA_DRAWENTIRE) return pellam::DrawAction::Entire;
  if (action & ODA_FOCUS) return pellam::DrawAction::Focus;
  return pellam::DrawAction::Select;
}

void WriteText(HDC dc, POINT at, const pellam::AppState& state, std::int32_t id) {
  pellam::TextBuffer text{};
  pellam::LoadText(state, id, text);
  const int length = lstrlenA(text.data());
  ::TextOutA(dc, at.x, at.y, text.data(), length);
}

void DrawIcon(HDC dc, HWND dialog, const RECT& button, int bitmap_id) {
  const pellam::ButtonLayout layout;
  HBITMAP bitmap = ::LoadBitmapA(ProgramInstance(), MAKEINTRESOURCEA(bitmap_id));
  if (bitmap == nullptr) return;
  HDC memory = ::CreateCompatibleDC(dc);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  BITMAP size{};
  ::GetObjectA(bitmap, sizeof size, &size);
  const POINT top_left = ToPixels(dialog, button, layout.icon_left, layout.icon_top);
  const POINT bottom_right =
      ToPixels(dialog, button, layout.icon_left + layout.icon_width, layout.icon_top + layout.icon_height);
  ::TransparentBlt(dc, top_left.x, top_left.y, bottom_right.x - top_left.x, bottom_right.y - top_left.y, memory, 0, 0,
                   size.bmWidth, size.bmHeight, kTransparent);
  ::SelectObject(memory, previous);
  ::DeleteDC(memory);
  ::DeleteObject(bitmap);
}

}  // namespace

void AttachOperationButton(HWND dialog, int control) {
  ::SetWindowSubclass(::GetDlgItem(dialog, control), &ButtonProcedure, kSubclassId, 0);
}

void DrawOperationButton(HWND dialog, const DRAWITEMSTRUCT& item, const pellam::AppState& state,
                         pellam::FocusRectangleRule& focus_rule) {
  const pellam::OperationButtonRow* row = pellam::FindOperationButton(static_cast<int>(item.CtlID));
  if (row == nullptr) return;
  const pellam::ButtonLayout layout;
  HDC dc = item.hDC;
  RECT edge = item.rcItem;
  ::DrawEdge(dc, &edge, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT focus = item.rcItem;
  ::InflateRect(&focus, -layout.focus_inset_pixels, -layout.focus_inset_pixels);
  const int draws = focus_rule.DrawsFor(ActionOf(item.itemAction), (item.itemState & ODS_FOCUS) != 0);
  for (int i = 0; i < draws; ++i) ::DrawFocusRect(dc, &focus);

  const RECT& button = item.rcItem;
  WriteText(dc, ToPixels(dialog, button, layout.text_left, layout.caption_top), state, row->caption);
  WriteText(dc, ToPixels(dialog, button, layout.text_left, layout.description_top), state, row->description);
  if (row->second_line != 0) {
    WriteText(dc, ToPixels(dialog, button, layout.text_left, layout.second_line_top), state, row->second_line);
  }
  const POINT line_from = ToPixels(dialog, button, layout.text_left, layout.line_top);
  const POINT line_to = ToPixels(dialog, button, layout.line_right, layout.line_top);
  ::MoveToEx(dc, line_from.x, line_from.y, nullptr);
  ::LineTo(dc, line_to.x, line_to.y);

  DrawIcon(dc, dialog, button, row->bitmap);
}

}  // namespace pellam_win32
