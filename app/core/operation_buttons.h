// The main window's five owner-drawn operation buttons: what each shows, and
// when its focus rectangle is drawn.
#pragma once

#include <cstdint>

namespace pellam {

struct OperationButtonRow {
  int control;
  std::int32_t caption;      // text id
  std::int32_t description;  // text id of the first description line
  std::int32_t second_line;  // text id of a second description line, or 0
  int bitmap;                // icon bitmap resource, 48 x 48, magenta transparent
};

inline constexpr OperationButtonRow kOperationButtons[] = {
    {6002, 6002, 6010, 0, 146},     // issue
    {6003, 6003, 6011, 0, 149},     // update
    {6004, 6004, 6014, 0, 148},     // PIN change
    {6005, 6005, 6015, 0, 147},     // PIN unlock
    {6006, 6006, 6012, 6013, 145},  // initialise
};

// The row of `control`, or nullptr for any other control.
const OperationButtonRow* FindOperationButton(int control);

// Layout inside a button, in the main window's dialog units from its
// top-left corner.
struct ButtonLayout {
  int icon_left = 4, icon_top = 4, icon_width = 28, icon_height = 32;
  int text_left = 36;
  int caption_top = 4;
  int line_top = 15, line_right = 160;
  int description_top = 18;
  int second_line_top = 28;
  int focus_inset_pixels = 5;
};

enum class DrawAction { Entire, Select, Focus };

// Counts focus losses on systems whose default locale is not Japanese; one
// counter shared by all five buttons for the whole run.
class FocusRectangleRule {
 public:
  explicit FocusRectangleRule(bool japanese_system) : japanese_system_(japanese_system) {}

  // How many times the (inverting) focus rectangle is drawn for one draw
  // request: once extra when the button loses the focus and exactly one
  // such loss came before, then once for an entire draw with the focus and
  // once for every focus change.
  int DrawsFor(DrawAction action, bool has_focus);

 private:
  bool japanese_system_;
  int focus_losses_ = 0;
};

}  // namespace pellam
