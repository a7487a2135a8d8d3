#include "app/core/about_dialog.h"

#include "app/core/text_ids.h"
#include "cardlib/key_build.h"

namespace pellam {

void AboutDialog::OnInit(DialogView& view) {
  view.SetTitle(LookupText(state_, text::kAboutTitle));
  view.SetControlFont(kCaptionControl, kCaptionPoints);
  view.SetControlText(kCaptionControl, LookupText(state_, text::kProgramTitle));
  if (corvex::kDevelopmentKeysBuild) {
    view.SetControlText(kDevelopmentKeysControl, LookupText(state_, text::kDevelopmentKeysNotice));
  }
  saved_owner_ = state_.message_owner;
  state_.message_owner = view.Window();
}

void AboutDialog::OnDestroy(DialogView& /*view*/) { state_.message_owner = saved_owner_; }

}  // namespace pellam
