// AboutDialog: the version window, opened from the system menu and from the
// Version button. A build with the development keys says so there.
#pragma once

#include "app/core/app_state.h"
#include "app/core/dialog_view.h"

namespace pellam {

class AboutDialog {
 public:
  static constexpr int kTemplate = 5503;
  static constexpr int kCaptionControl = 1076;  // program name over the picture
  static constexpr int kCaptionPoints = 18;
  // Empty, but in a build that carries the development keys.
  static constexpr int kDevelopmentKeysControl = 3008;

  explicit AboutDialog(AppState& state) : state_(state) {}

  void OnInit(DialogView& view);
  void OnDestroy(DialogView& view);

 private:
  AppState& state_;
  WindowRef saved_owner_ = kNoWindow;
};

}  // namespace pellam
