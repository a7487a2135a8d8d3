// What the dialog logic asks of a window. The Win32 views implement it over a
// real dialog; tests implement it with a fake that records every call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/app_state.h"
#include "cardlib/cipher/secret_text.h"
#include "cardlib/cipher/secure_wipe.h"

namespace pellam {

// The dialogs a window can run modally on top of itself. The operation
// dialogs are created without a parent.
enum class ChildDialog { AdminId, About, Issue, IssueInfo, Update, PinChange, Confirm, Initialize };

// Results a dialog ends with, as the platform's OK and Cancel give them.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual WindowRef Window() const = 0;
  virtual void SetTitle(std::string_view text) = 0;
  virtual void SetControlText(int control, std::string_view text) = 0;
  // The same for a password or PIN field: a view that copies the text on
  // its way to the control wipes the copy.
  virtual void SetSecretControlText(int control, const corvex::SecretText& text) {
    SetControlText(control, text.View());
  }
  // The control's text, at most `max_bytes` bytes of it.
  virtual std::string ControlText(int control, std::size_t max_bytes) = 0;
  // The same for a password or PIN field, in wiping storage; what the text
  // passed through on its way is wiped too.
  virtual corvex::SecretText SecretControlText(int control, std::size_t max_bytes) {
    std::string text = ControlText(control, max_bytes);
    corvex::SecretText secret(text);
    corvex::SecureWipe(text.data(), text.size());
    return secret;
  }
  virtual void EnableControl(int control, bool enable) = 0;
  virtual void CheckRadio(int control, bool checked) = 0;
  virtual bool IsRadioChecked(int control) = 0;
  // The most bytes an edit control accepts from the keyboard.
  virtual void SetTextLimit(int control, int bytes) = 0;
  // An up-down control's range, and its position (which its buddy shows).
  virtual void SetSpinnerRange(int control, int lowest, int highest) = 0;
  virtual void SetSpinnerPosition(int control, int position) = 0;
  // A drop-down list: emptied, entries added at the end, one selected.
  virtual void ClearList(int control) = 0;
  virtual void AddListEntry(int control, std::string_view text) = 0;
  virtual void SelectListEntry(int control, int index) = 0;
  // The selected entry's index, or -1.
  virtual int SelectedListEntry(int control) = 0;
  // An icon static shows the system's exclamation or information icon.
  virtual void ShowExclamationIcon(int control) = 0;
  virtual void ShowInformationIcon(int control) = 0;
  // A read-only rich edit painted in the button-face colour, like dialog text.
  virtual void SetFaceBackground(int control) = 0;
  // The whole dialog window enabled or disabled (while a card operation runs).
  virtual void EnableWindow(bool enable) = 0;
  // Gives the keyboard focus back to the dialog after a refused OK.
  virtual void FocusDialog() = 0;
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

// The logic of one operation dialog, as its window forwards to it: the
// initialisation, every button click or notification, and the destruction.
class DialogLogic {
 public:
  virtual ~DialogLogic() = default;
  virtual void OnInit(DialogView& view) = 0;
  // A command from control `control`; `notification` is the control's
  // notification code (0 for a button click).
  virtual void OnCommand(DialogView& view, int control, int notification) = 0;
  virtual void OnDestroy(DialogView& view) = 0;
};

// Notification codes the logic reacts to.
inline constexpr int kNotifyClicked = 0;
inline constexpr int kNotifySelectionChanged = 1;  // a drop-down list's choice changed

}  // namespace pellam
