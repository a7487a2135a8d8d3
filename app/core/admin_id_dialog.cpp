#include "app/core/admin_id_dialog.h"

#include "app/core/text_ids.h"

namespace pellam {

namespace {

constexpr std::int32_t kAdminCardType = 16;

}  // namespace

void AdminIdDialog::OnInit(DialogView& view) {
  view.SetTitle(LookupText(state_, text::kAdminIdTitle));
  view.SetControlText(kInstructionControl, LookupText(state_, text::kAdminIdInstruction));
  view.SetControlText(kCancelButton, BufferText(state_.cancel_text));
  view.SetMark(kMark);
  saved_owner_ = state_.message_owner;
  state_.message_owner = view.Window();
  view.ShowInformationIcon(kIconControl);
  view.StartTimer(kTimer, kTimerPeriod);
}

void AdminIdDialog::OnTimer(DialogView& view) {
  view.StopTimer(kTimer);

  if (!state_.admin_reader_open) {
    if (card_.OpenDevice() != 0) {
      messages_.ShowWarning(text::kReaderNotOpened, messages_.ErrorCaption());
      view.EndDialog(kResultFailed);
      return;
    }
    state_.admin_reader_open = true;
  }

  std::int32_t present = 0;
  if (card_.SenseCard(&present) != 0 || present != 1) {
    view.StartTimer(kTimer, kTimerPeriod);
    return;
  }

  std::int32_t type = -1;
  if (card_.GetCardType(&type) != 0 || type != kAdminCardType) {
    if (!AskForAdminCard(view)) view.StartTimer(kTimer, kTimerPeriod);
    return;
  }

  TextField<256>& admin_id = state_.records.admin.admin_id;
  admin_id.bytes.fill('\0');
  admin_id.length = static_cast<std::int32_t>(admin_id.bytes.size());
  if (card_.ReadAdminIdFromAdmin(admin_id.bytes.data(), &admin_id.length) != 0) {
    messages_.ShowWarning(text::kAdminIdNotRead, messages_.ErrorCaption());
    view.StartTimer(kTimer, kTimerPeriod);
    return;
  }
  const bool closed = card_.CloseDevice() == 0;
  state_.admin_reader_open = false;
  if (!closed) {
    messages_.ShowWarning(text::kAdminIdNotRead, messages_.ErrorCaption());
    view.EndDialog(kResultFailed);
    return;
  }
  view.EndDialog(kResultRead);
}

bool AdminIdDialog::AskForAdminCard(DialogView& view) {
  if (messages_.AskWarning(text::kNotAdminCard, messages_.QuestionCaption()) == kAnswerOk) return false;
  card_.CloseDevice();
  state_.admin_reader_open = false;
  view.EndDialog(kResultFailed);
  return true;
}

void AdminIdDialog::OnCancel(DialogView& view) {
  view.StopTimer(kTimer);
  card_.CloseDevice();
  state_.admin_reader_open = false;
  view.EndDialog(kResultFailed);
}

void AdminIdDialog::OnDestroy(DialogView& view) {
  view.RemoveMark(kMark);
  state_.message_owner = saved_owner_;
}

}  // namespace pellam
