// Test doubles for the program's windows: a message surface that records
// every box and answers questions from a script, and a dialog view that
// records what the logic did to it.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/core/dialog_view.h"
#include "app/core/message_helpers.h"

namespace app_test {

struct ShownMessage {
  std::string text;
  std::string caption;
  pellam::MessageBoxKind kind;
  pellam::WindowRef owner;
};

class FakeSurface : public pellam::MessageSurface {
 public:
  bool IsWindow(pellam::WindowRef window) override { return windows.count(window) != 0; }
  bool ShowMessageBox(pellam::WindowRef owner, std::string_view text, std::string_view caption,
                      pellam::MessageBoxKind kind) override;
  void SetCursor(pellam::CursorShape shape) override { cursor = shape; }
  // Every message shown as "text/caption".
  std::vector<std::string> Texts() const;

  std::set<pellam::WindowRef> windows;
  std::vector<ShownMessage> shown;
  std::deque<bool> answers;  // for questions; OK when the script runs out
  pellam::CursorShape cursor = pellam::CursorShape::Arrow;
  std::function<void()> on_message;  // runs while a box is "open"
};

class FakeView : public pellam::DialogView {
 public:
  static constexpr int kNotEnded = -1000;  // the result until the dialog ends
  explicit FakeView(pellam::WindowRef window) : window_(window) {}

  pellam::WindowRef Window() const override { return window_; }
  void SetTitle(std::string_view text) override { title = text; }
  void SetControlText(int control, std::string_view text) override { texts[control] = text; }
  std::string ControlText(int control, std::size_t max_bytes) override { return texts[control].substr(0, max_bytes); }
  void EnableControl(int control, bool enable) override { enabled[control] = enable; }
  void CheckRadio(int control, bool checked) override { checks[control] = checked; }
  bool IsRadioChecked(int control) override { return checks[control]; }
  void SetTextLimit(int control, int bytes) override { limits[control] = bytes; }
  void SetSpinnerRange(int control, int lowest, int highest) override { ranges[control] = {lowest, highest}; }
  void SetSpinnerPosition(int control, int position) override { positions[control] = position; }
  void ClearList(int control) override { lists[control].clear(); }
  void AddListEntry(int control, std::string_view text) override { lists[control].emplace_back(text); }
  void SelectListEntry(int control, int index) override { selections[control] = index; }
  int SelectedListEntry(int control) override { return selections.count(control) ? selections[control] : -1; }
  void ShowExclamationIcon(int) override {}
  void ShowInformationIcon(int) override {}
  void SetFaceBackground(int control) override { face_backgrounds.insert(control); }
  void EnableWindow(bool enable) override { window_enabled = enable; }
  void FocusDialog() override { ++focus_returns; }
  void SetControlFont(int control, int points) override { fonts[control] = points; }
  void SetMark(const char* name) override { marks.insert(name); }
  void RemoveMark(const char* name) override { marks.erase(name); }
  void StartTimer(int timer, unsigned milliseconds) override { timers[timer] = milliseconds; }
  void StopTimer(int timer) override { timers.erase(timer); }
  void PostToSelf(unsigned message) override { posted.push_back(message); }
  int RunChild(pellam::ChildDialog dialog) override;
  void EndDialog(int result) override;

  std::string title;
  std::map<int, std::string> texts;
  std::map<int, bool> enabled;
  std::map<int, bool> checks;
  std::map<int, int> fonts;
  std::map<int, int> limits;
  std::map<int, std::pair<int, int>> ranges;
  std::map<int, int> positions;
  std::map<int, std::vector<std::string>> lists;
  std::map<int, int> selections;
  std::set<int> face_backgrounds;
  bool window_enabled = true;
  int focus_returns = 0;
  std::set<std::string> marks;
  std::map<int, unsigned> timers;  // running timers and their periods
  std::vector<unsigned> posted;
  std::vector<pellam::ChildDialog> children;
  std::function<int(pellam::ChildDialog)> child_result = [](pellam::ChildDialog) { return 0; };
  bool ended = false;
  int result = kNotEnded;

 private:
  pellam::WindowRef window_;
};

}  // namespace app_test
