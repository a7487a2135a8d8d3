#include "app/win32/single_instance.h"

namespace pellam_win32 {

namespace {

constexpr const char* kMutexName = "SelectDialog";
constexpr const char* kMarks[] = {"SelectDialog", "GetAdminDialog"};

bool Marked(HWND window) {
  for (const char* mark : kMarks) {
    if (::GetPropA(window, mark) != nullptr) return true;
  }
  return false;
}

}  // namespace

SingleInstance::SingleInstance() {
  mutex_ = ::CreateMutexA(nullptr, TRUE, kMutexName);
  if (mutex_ == nullptr) return;
  state_ = ::GetLastError() == ERROR_ALREADY_EXISTS ? InstanceState::AlreadyRunning : InstanceState::First;
}

SingleInstance::~SingleInstance() {
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
}

void HandOverToRunningCopy() {
  for (HWND window = ::GetWindow(::GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (!Marked(window)) continue;
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(::GetLastActivePopup(window));
    return;
  }
}

}  // namespace pellam_win32
