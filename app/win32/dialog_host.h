// A modal dialog from a template in the program's resources, with the
// portable view interface implemented on its window. Each of the program's
// windows derives from it and forwards messages to its portable logic.
#pragma once

#include <windows.h>

#include <vector>

#include "app/core/dialog_view.h"

namespace pellam_win32 {

class HostedDialog : public pellam::DialogView {
 public:
  HostedDialog() = default;
  HostedDialog(const HostedDialog&) = delete;
  HostedDialog& operator=(const HostedDialog&) = delete;
  ~HostedDialog() override;

  // Creates the dialog from template `template_id` and runs it modally over
  // `owner` (none: no owner); the value given to EndDialog, or -1.
  INT_PTR RunModal(int template_id, HWND owner);
  HWND hwnd() const { return hwnd_; }

  // pellam::DialogView
  pellam::WindowRef Window() const override { return reinterpret_cast<pellam::WindowRef>(hwnd_); }
  void SetTitle(std::string_view text) override;
  void SetControlText(int control, std::string_view text) override;
  std::string ControlText(int control, std::size_t max_bytes) override;
  void SetSecretControlText(int control, const corvex::SecretText& text) override;
  corvex::SecretText SecretControlText(int control, std::size_t max_bytes) override;
  void EnableControl(int control, bool enable) override;
  void CheckRadio(int control, bool checked) override;
  bool IsRadioChecked(int control) override;
  void SetTextLimit(int control, int bytes) override;
  void SetSpinnerRange(int control, int lowest, int highest) override;
  void SetSpinnerPosition(int control, int position) override;
  void ClearList(int control) override;
  void AddListEntry(int control, std::string_view text) override;
  void SelectListEntry(int control, int index) override;
  int SelectedListEntry(int control) override;
  void ShowExclamationIcon(int control) override;
  void ShowInformationIcon(int control) override;
  void SetFaceBackground(int control) override;
  void EnableWindow(bool enable) override;
  void FocusDialog() override;
  void SetControlFont(int control, int points) override;
  void SetMark(const char* name) override;
  void RemoveMark(const char* name) override;
  void StartTimer(int timer, unsigned milliseconds) override;
  void StopTimer(int timer) override;
  void PostToSelf(unsigned message) override;
  int RunChild(pellam::ChildDialog dialog) override;
  void EndDialog(int result) override;

 protected:
  // One message of the dialog procedure. Set `handled` and give the value
  // the dialog procedure returns (TRUE for most handled messages; a brush or
  // an icon for the messages that answer with one).
  virtual INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) = 0;

  // Answers a paint request by validating the window only.
  void ValidateOnly();

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // An icon static shows the shared system icon `icon` (an IDI_ name).
  void ShowSystemIcon(int control, LPCSTR icon);

  HWND hwnd_ = nullptr;
  std::vector<HFONT> fonts_;
};

HINSTANCE ProgramInstance();

}  // namespace pellam_win32
