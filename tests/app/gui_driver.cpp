// Drives a running Pellam.exe from outside, under Wine: waits for its
// windows, reads their texts, types into fields, presses buttons, answers
// message boxes, and saves a picture of the screen or of a window as PNG.
// Used by the GUI smoke test and by the demo.
//
// MARK names a window: a window property the program sets (SelectDialog,
// GetAdminDialog), or title=TEXT for the visible top-level window whose title
// is exactly TEXT (the operation dialogs, which carry no property), or top
// for the uppermost visible dialog that is no message box (the one open
// modal dialog, whatever its language).
//
//   gui_driver wait MARK SECONDS        MARK appears
//   gui_driver gone MARK SECONDS        MARK is gone
//   gui_driver text MARK ID             the text of control ID (0: the title)
//   gui_driver press MARK ID            clicks button ID (posted: a dialog it opens does not block)
//   gui_driver doubleclick MARK ID      the double-click notification of button ID, as an owner-drawn button sends it
//   gui_driver click MARK ID            clicks radio button or check box ID; fails when it is disabled
//   gui_driver type MARK ID TEXT        sets the text of control ID
//   gui_driver select MARK ID INDEX     chooses entry INDEX of drop-down list ID and tells the window
//   gui_driver enabled MARK ID          prints 1 when control ID (0: the window) is enabled, else 0
//   gui_driver key MARK escape          the Escape key sent to the window
//   gui_driver show MARK minimize|restore
//   gui_driver shot MARK|screen FILE    a PNG of the window, or of the screen
//   gui_driver boxes                    the title and text of each open message box
//   gui_driver answer ok [SECONDS]      waits (10 s unless given) for a message box, prints
//                                       its title and text as boxes does, presses OK
//   gui_driver link FILE                the target and working folder of shortcut FILE, as TARGET|FOLDER
//   gui_driver fits MARK DIALOG         each static, button and group box of MARK, made from template
//                                       DIALOG of Pellam.exe, whose text does not fit it, as
//                                       ID|TEXT|NEEDED WxH|HAS WxH; fails when there is one
//
// Exit status 0 on success, 1 when the condition was not met (no such window,
// control or message box).
#include <windows.h>
// After windows.h, which they need; gdiplus.h after shlobj.h, which brings its COM types.
#include <shlobj.h>

#include <gdiplus.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kProgramMarks[] = {"SelectDialog", "GetAdminDialog"};
constexpr const char kTitlePrefix[] = "title=";
// A message box's text is a static with this identifier.
constexpr int kMessageBoxText = 0xFFFF;

bool HasClass(HWND window, const char* name) {
  char kind[64] = {};
  ::GetClassNameA(window, kind, sizeof kind);
  return ::lstrcmpiA(kind, name) == 0;
}

bool Named(HWND window, const char* mark) {
  if (std::strncmp(mark, kTitlePrefix, sizeof kTitlePrefix - 1) != 0) return ::GetPropA(window, mark) != nullptr;
  char title[512] = {};
  ::GetWindowTextA(window, title, sizeof title);
  return std::strcmp(title, mark + sizeof kTitlePrefix - 1) == 0;
}

// The first top-level window, in z-order, that `matches`; nullptr if none.
template <typename Match>
HWND FindTopLevel(Match matches) {
  for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (matches(window)) return window;
  }
  return nullptr;
}

bool IsMessageBox(HWND window);

HWND FindMarked(const char* mark) {
  if (std::strcmp(mark, "top") == 0) {
    return FindTopLevel(
        [](HWND window) { return ::IsWindowVisible(window) && HasClass(window, "#32770") && !IsMessageBox(window); });
  }
  return FindTopLevel([mark](HWND window) { return ::IsWindowVisible(window) && Named(window, mark); });
}

// A visible dialog that is none of the program's marked windows and shows a
// message box's text static.
bool IsMessageBox(HWND window) {
  if (!HasClass(window, "#32770") || !::IsWindowVisible(window)) return false;
  for (const char* mark : kProgramMarks) {
    if (::GetPropA(window, mark) != nullptr) return false;
  }
  HWND text = ::GetDlgItem(window, kMessageBoxText);
  return text != nullptr && HasClass(text, "Static");
}

void PrintBox(HWND box) {
  char title[512] = {};
  char text[1024] = {};
  ::GetWindowTextA(box, title, sizeof title);
  ::GetDlgItemTextA(box, kMessageBoxText, text, sizeof text);
  std::printf("%s|%s\n", title, text);
  std::fflush(stdout);
}

// Polls `done` every 100 ms until it holds (true) or `seconds` pass (false).
template <typename Condition>
bool WaitUntil(double seconds, Condition done) {
  const DWORD until = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
  while (!done()) {
    if (static_cast<std::int32_t>(::GetTickCount() - until) > 0) return false;
    ::Sleep(100);
  }
  return true;
}

// Waits for a message box, shows it and presses OK; then waits a little for
// it to close, so that the next command sees what came after it.
bool Answer(double seconds) {
  HWND box = nullptr;
  if (!WaitUntil(seconds, [&box] { return (box = FindTopLevel(IsMessageBox)) != nullptr; })) return false;
  PrintBox(box);
  HWND control = ::GetDlgItem(box, IDOK);
  if (control == nullptr ||
      !::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(control))) {
    return false;
  }
  WaitUntil(5, [box] { return !::IsWindow(box) || !::IsWindowVisible(box); });
  return true;
}

// Sends `message` to a window of the program without hanging on a busy one.
bool SendTo(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR& result) {
  return ::SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// Saves a picture of `window` (nullptr: the whole screen) as PNG, with the
// system's own encoder.
bool Shot(HWND window, const char* path) {
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  if (window != nullptr) ::GetWindowRect(window, &area);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  wchar_t wide[MAX_PATH] = {};
  if (width <= 0 || height <= 0 || ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  ::SelectObject(memory, previous);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  // The PNG encoder's class identifier.
  const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  ULONG_PTR token = 0;
  const Gdiplus::GdiplusStartupInput input;
  bool saved = false;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Gdiplus::Ok) {
      saved = Gdiplus::DllExports::GdipSaveImageToFile(image, wide, &png, nullptr) == Gdiplus::Ok;
      Gdiplus::DllExports::GdipDisposeImage(image);
    }
    Gdiplus::GdiplusShutdown(token);
  }
  ::DeleteObject(bitmap);
  return saved;
}

// Reads a shell link as the shell would, through IShellLink.
bool PrintLink(const char* path) {
  if (FAILED(::CoInitialize(nullptr))) return false;
  bool done = false;
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t wide[MAX_PATH] = {};
  char target[MAX_PATH] = {};
  char folder[MAX_PATH] = {};
  if (::MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0 &&
      SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
      SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH))) {
    std::printf("%s|%s\n", target, folder);
    done = true;
  }
  if (file != nullptr) file->Release();
  if (link != nullptr) link->Release();
  ::CoUninitialize();
  return done;
}

// Room a button's own drawing takes from its text: the edges of a push
// button, the box of a check box or radio button, the frame of a group box.
int ButtonTextRoom(LONG style, int width) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE: return width - ::GetSystemMetrics(SM_CXMENUCHECK) - 4;
    case BS_GROUPBOX: return width - 16;
    default: return width - 2 * ::GetSystemMetrics(SM_CXEDGE) - 4;
  }
}

// The text of a static or button and whether it wraps, or false for a
// control whose text is not drawn as text (icons, pictures, owner-drawn).
bool MeasuredText(HWND control, UINT& format, int& width) {
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  format = DT_CALCRECT | DT_EXPANDTABS;
  if (HasClass(control, "Static")) {
    const LONG kind = style & SS_TYPEMASK;
    if (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT) {
      format |= DT_WORDBREAK;
    } else if (kind != SS_SIMPLE && kind != SS_LEFTNOWORDWRAP) {
      return false;
    }
    if ((style & SS_NOPREFIX) != 0) format |= DT_NOPREFIX;
    return true;
  }
  if (!HasClass(control, "Button")) return false;
  width = ButtonTextRoom(style, width);
  if ((style & BS_MULTILINE) != 0) format |= DT_WORDBREAK;
  return true;
}

// Skips a name-or-ordinal field of a dialog template.
const WORD* SkipNameOrOrdinal(const WORD* at) {
  if (*at == 0xFFFF) return at + 2;
  while (*at != 0) ++at;
  return at + 1;
}

// The font that dialog template `id` of Pellam.exe (beside this program)
// names, created as the dialog manager creates it; nullptr when the template
// cannot be read or names none. A control's font cannot be asked across
// processes under Wine, so the texts are measured with this one.
HFONT TemplateFont(int id) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  if (length == 0 || length >= MAX_PATH || slash == nullptr) return nullptr;
  std::strcpy(slash + 1, "Pellam.exe");
  HMODULE program = ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (program == nullptr) return nullptr;
  HFONT font = nullptr;
  HRSRC found = ::FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
  const auto* words =
      found != nullptr ? static_cast<const WORD*>(::LockResource(::LoadResource(program, found))) : nullptr;
  // An extended template: version 1 and signature 0xFFFF, then help id,
  // extended style and style (4 bytes each), item count and the four sizes.
  if (words != nullptr && words[0] == 1 && words[1] == 0xFFFF) {
    DWORD style = 0;
    std::memcpy(&style, words + 6, sizeof style);
    const WORD* at = SkipNameOrOrdinal(SkipNameOrOrdinal(words + 13));  // menu, class
    while (*at != 0) ++at;                                              // title
    ++at;
    if ((style & DS_SETFONT) != 0) {
      const int points = at[0];
      const int weight = at[1];
      const bool italic = (at[2] & 0xFF) != 0;
      HDC screen = ::GetDC(nullptr);
      const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
      ::ReleaseDC(nullptr, screen);
      font = ::CreateFontW(height, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_DONTCARE, reinterpret_cast<const wchar_t*>(at + 3));
    }
  }
  ::FreeLibrary(program);
  return font;
}

struct FitCheck {
  HFONT font;
  int misfits;
};

// Prints a control whose text needs more room than it has, and counts it.
BOOL CALLBACK CheckFit(HWND control, LPARAM data) {
  auto& check = *reinterpret_cast<FitCheck*>(data);
  char text[1024] = {};
  if (!::IsWindowVisible(control) || ::GetWindowTextA(control, text, sizeof text) == 0) return TRUE;
  RECT client{};
  ::GetClientRect(control, &client);
  int width = client.right;
  const int height = client.bottom;
  UINT format = 0;
  if (!MeasuredText(control, format, width)) return TRUE;
  HDC dc = ::GetDC(control);
  HGDIOBJ previous = ::SelectObject(dc, check.font);
  RECT needed{0, 0, width, 0};
  ::DrawTextA(dc, text, -1, &needed, format);
  ::SelectObject(dc, previous);
  ::ReleaseDC(control, dc);
  if (needed.right > width || needed.bottom > height) {
    for (char& c : text) c = c == '\n' ? ' ' : c;
    std::printf("%d|%s|%ldx%ld|%dx%d\n", ::GetDlgCtrlID(control), text, needed.right, needed.bottom, width, height);
    ++check.misfits;
  }
  return TRUE;
}

// Prints each control of `window` whose text is wider or taller than the
// control; true when every text fits.
bool TextsFit(HWND window, int dialog) {
  FitCheck check{TemplateFont(dialog), 0};
  if (check.font == nullptr) {
    std::fprintf(stderr, "gui_driver: no font in dialog template %d of Pellam.exe\n", dialog);
    return false;
  }
  ::EnumChildWindows(window, &CheckFit, reinterpret_cast<LPARAM>(&check));
  ::DeleteObject(check.font);
  std::fflush(stdout);
  return check.misfits == 0;
}

BOOL CALLBACK ListBox(HWND window, LPARAM) {
  if (IsMessageBox(window)) PrintBox(window);
  return TRUE;
}

int Usage() {
  std::fprintf(stderr,
               "usage: gui_driver "
               "wait|gone|text|press|doubleclick|click|type|select|enabled|key|show|shot|boxes|answer|link|fits "
               "...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "boxes") {
    ::EnumWindows(&ListBox, 0);
    return 0;
  }
  if (command == "answer") {
    if (argc < 3 || std::strcmp(argv[2], "ok") != 0) return Usage();
    return Answer(argc > 3 ? std::atof(argv[3]) : 10.0) ? 0 : 1;
  }
  if (argc < 3) return Usage();
  const char* mark = argv[2];
  if (command == "link") return PrintLink(mark) ? 0 : 1;
  if (command == "wait" || command == "gone") {
    const bool present = command == "wait";
    const auto settled = [mark, present] { return (FindMarked(mark) != nullptr) == present; };
    return WaitUntil(argc > 3 ? std::atof(argv[3]) : 10.0, settled) ? 0 : 1;
  }
  if (command == "shot") {
    if (argc < 4) return Usage();
    HWND window = std::strcmp(mark, "screen") == 0 ? nullptr : FindMarked(mark);
    if (window == nullptr && std::strcmp(mark, "screen") != 0) return 1;
    return Shot(window, argv[3]) ? 0 : 1;
  }
  HWND window = FindMarked(mark);
  if (window == nullptr) return 1;
  if (argc < 4) return Usage();
  if (command == "fits") return TextsFit(window, std::atoi(argv[3])) ? 0 : 1;
  const std::string option = argv[3];
  if (command == "key") return option == "escape" && ::PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1) ? 0 : 1;
  if (command == "show") {
    ::ShowWindowAsync(window, option == "minimize" ? SW_MINIMIZE : SW_RESTORE);
    return 0;
  }
  const int id = std::atoi(argv[3]);
  if (command == "enabled") {
    HWND target = id == 0 ? window : ::GetDlgItem(window, id);
    if (target == nullptr) return 1;
    std::printf("%d\n", ::IsWindowEnabled(target) ? 1 : 0);
    return 0;
  }
  if (command == "text") {
    char text[1024] = {};
    if (id == 0) {
      ::GetWindowTextA(window, text, sizeof text);
    } else {
      ::GetDlgItemTextA(window, id, text, sizeof text);
    }
    std::printf("%s\n", text);
    return 0;
  }
  HWND control = ::GetDlgItem(window, id);
  if (control == nullptr) return 1;
  if (command == "press" || command == "doubleclick") {
    const WORD notification = command == "press" ? BN_CLICKED : BN_DOUBLECLICKED;
    return ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
  }
  if (command == "click") {
    // As the mouse would: a disabled button cannot be clicked, and the button
    // itself checks and tells its dialog.
    if (!::IsWindowEnabled(control)) return 1;
    return ::PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (argc < 5) return Usage();
  DWORD_PTR result = 0;
  if (command == "type") {
    return SendTo(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), result) && result == TRUE ? 0 : 1;
  }
  if (command == "select") {
    const int index = std::atoi(argv[4]);
    if (!SendTo(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0, result) || static_cast<int>(result) != index) {
      return 1;
    }
    return ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
  }
  return Usage();
}
