// One running copy of the program: the named mutex "SelectDialog", and the
// hand-over to the copy that holds it.
#pragma once

#include <windows.h>

namespace pellam_win32 {

enum class InstanceState { First, AlreadyRunning, Failed };

class SingleInstance {
 public:
  SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;
  // The mutex is held until the process ends.
  ~SingleInstance();

  InstanceState state() const { return state_; }

 private:
  HANDLE mutex_ = nullptr;
  InstanceState state_ = InstanceState::Failed;
};

// Brings the running copy to the front: the first top-level window, in Z
// order, that carries the property "SelectDialog" or "GetAdminDialog" is
// restored when minimised, and its last active pop-up is made the
// foreground window. Nothing happens when there is none.
void HandOverToRunningCopy();

}  // namespace pellam_win32
