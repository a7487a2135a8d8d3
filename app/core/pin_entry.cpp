#include "app/core/pin_entry.h"

#include "app/core/entry_checks.h"

namespace pellam::pin_entry {

namespace {

constexpr std::size_t kPinRead = 31;
constexpr std::size_t kCountRead = 255;
constexpr std::int32_t kLockoutOff = 7016;

}  // namespace

void EnablePinDetails(DialogView& view, bool enable) {
  for (const int control : kPinDetails) view.EnableControl(control, enable);
}

bool ReadPinEntry(ProgramContext& context, DialogView& view) {
  EntryData& entry = context.records().entry;
  Messages& messages = context.messages;
  entry.pin_check_choice = view.IsRadioChecked(kPinOn) ? kPinOn : kPinOff;
  entry.lockout_count = 0;
  StoreText(entry.pin, "");
  if (entry.pin_check_choice == kPinOff) return true;

  const corvex::SecretText pin = view.SecretControlText(kPin, kPinRead);
  const corvex::SecretText pin_again = view.SecretControlText(kPinAgain, kPinRead);
  const std::string lockout = view.ControlText(kLockout, kCountRead);
  if (const std::int32_t problem = CheckPinEntry(pin.View(), pin_again.View(), lockout, entry.lockout_count)) {
    messages.ShowWarning(problem, messages.ErrorCaption());
    view.FocusDialog();
    return false;
  }
  if (entry.lockout_count == 0 && messages.AskConfirm(kLockoutOff, messages.QuestionCaption()) != kAnswerOk) {
    view.FocusDialog();
    return false;
  }
  StoreText(entry.pin, pin.View());
  return true;
}

}  // namespace pellam::pin_entry
