// What the dialog logic asks of a window. The Win32 views implement it over a
// real dialog; tests implement it with a fake that records every call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/app_state.h"

namespace pellam {

// The dialogs a window can run modally on top of itself.
enum class ChildDialog { AdminId, About };

class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual WindowRef Window() const = 0;
  virtual void SetTitle(std::string_view text) = 0;
  virtual void SetControlText(int control, std::string_view text) = 0;
  virtual std::string ControlText(int control, std::size_t max_bytes) = 0;
  virtual void EnableControl(int control, bool enable) = 0;
  virtual void CheckRadio(int control, bool checked) = 0;
  // Gives the control a new font of `points` in the system's choice of face.
  virtual void SetControlFont(int control, int points) = 0;
  // A window property (value 1) that another copy of the program looks for.
  virtual void SetMark(const char* name) = 0;
  virtual void RemoveMark(const char* name) = 0;
  virtual void StartTimer(int timer, unsigned milliseconds) = 0;
  virtual void StopTimer(int timer) = 0;
  // Posts a private message (above the system's range) to the window itself.
  virtual void PostToSelf(unsigned message) = 0;
  virtual int RunChild(ChildDialog dialog) = 0;
  virtual void EndDialog(int result) = 0;
};

}  // namespace pellam
