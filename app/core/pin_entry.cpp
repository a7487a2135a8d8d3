#include "app/core/pin_entry.h"

#include "app/core/text_ids.h"

namespace pellam::pin_entry {

namespace {

constexpr std::size_t kPinRead = 31;

}  // namespace

void EnablePinDetails(DialogView& view, bool enable) {
  for (const int control : kPinDetails) view.EnableControl(control, enable);
}

void ReadPinTexts(DialogView& view, PinTexts& texts) {
  texts.pin_check = view.IsRadioChecked(kPinOn);
  if (!texts.pin_check) return;
  texts.pin = view.SecretControlText(kPin, kPinRead);
  texts.pin_again = view.SecretControlText(kPinAgain, kPinRead);
  texts.lockout = view.ControlText(kLockout, kTextRead);
}

std::int32_t StorePinEntry(const PinTexts& texts, EntryData& entry, const Question& ask) {
  entry.pin_check_choice = texts.pin_check ? kPinOn : kPinOff;
  entry.lockout_count = 0;
  StoreText(entry.pin, "");
  if (!texts.pin_check) return kNoProblem;

  if (const std::int32_t problem =
          CheckPinEntry(texts.pin.View(), texts.pin_again.View(), texts.lockout, entry.lockout_count)) {
    return problem;
  }
  if (entry.lockout_count == 0 && !ask(text::kLockoutOffQuestion)) return text::kLockoutOffQuestion;
  StoreText(entry.pin, texts.pin.View());
  return kNoProblem;
}

bool ReadPinEntry(ProgramContext& context, DialogView& view) {
  Messages& messages = context.messages;
  PinTexts texts;
  ReadPinTexts(view, texts);
  const std::int32_t problem = StorePinEntry(texts, context.records().entry, AskOperator(messages));
  if (problem == kNoProblem) return true;
  if (problem != text::kLockoutOffQuestion) messages.ShowWarning(problem, messages.ErrorCaption());
  view.FocusDialog();
  return false;
}

}  // namespace pellam::pin_entry
