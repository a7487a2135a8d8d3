#include "app/core/pin_change_dialog.h"

#include <string>

#include "app/core/card_finish.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_texts.h"
#include "app/core/entry_checks.h"
#include "app/core/operation_log.h"
#include "app/core/pin_entry.h"
#include "app/core/text_ids.h"
#include "oplog/Jornet.h"

namespace pellam {

using namespace pin_entry;

namespace {

constexpr LabelRow kLabels[] = {
    {1022, ""},     {1001, ""}, {1009, ""},      {1004, ""},      {1010, "(&E)"},
    {1011, "(&D)"}, {1028, ""}, {1012, "(&L):"}, {1013, "(&I):"}, {1014, "(&R):"},
};

constexpr LimitRow kLimits[] = {{2018, kLongestPin}, {2017, kLongestPin}, {2022, 2}};

}  // namespace

void PinChangeDialog::OnInit(DialogView& view) {
  AppState& state = context_.state;
  const CardData& data = context_.records().card;
  view.SetTitle(LookupText(state, kTemplate));
  SetLabels(view, state, kLabels);
  SetCommonButtons(view, state, kDialogOk);
  view.SetSpinnerRange(kLockoutSpinner, 0, kHighestLockout);

  const bool pin_present = data.pin_present == 1;
  view.CheckRadio(pin_present ? kPinOn : kPinOff, true);
  if (!pin_present) EnablePinDetails(view, false);
  const bool shown = pin_present && data.pin_check == 1;
  view.SetControlText(kLockout, shown ? NumberText(data.lockout_count) : std::string());
  const corvex::SecretText pin = shown ? ShownSecret(data.pin) : corvex::SecretText();
  view.SetSecretControlText(kPin, pin);
  view.SetSecretControlText(kPinAgain, pin);
  SetLimits(view, kLimits);
  TakeMessageOwner(view);
}

void PinChangeDialog::OnOtherCommand(DialogView& view, int control, int notification) {
  if (control == kPinOn && notification == kNotifyClicked) {
    EnablePinDetails(view, true);
    if (view.ControlText(kLockout, 1).empty()) view.SetControlText(kLockout, NumberText(kDefaultLockout));
  } else if (control == kPinOff && notification == kNotifyClicked) {
    EnablePinDetails(view, false);
  }
}

void PinChangeDialog::OnOk(DialogView& view) {
  ClearEntryData(context_.records());
  if (!ReadPinEntry(context_, view)) return;
  if (!OpenReaderForDialog(context_, view)) return;
  // Only the card the main window read is written.
  const CardWaitRule same_card{CardKind::UserCard, text::kNotUserCard, [this] { return SameCardAsRead(context_); }};
  if (!WaitForDialogCard(context_, view, same_card)) return;
  if (!WriteCard(view)) return;
  ReadCardUserId(context_);
  FinishCardOperation(context_, view, text::kPinChanged, [this] {
    WriteOperationLog(context_, FieldText(context_.records().card.user_id), JORNET_OP_CHANGE_PIN);
  });
}

bool PinChangeDialog::WriteCard(DialogView& view) {
  CardAccess& card = context_.card;
  const EntryData& entry = context_.records().entry;
  // The retry limit, then the PIN.
  const CardWrite writes[] = {
      {[&] { return card.WriteRetryLimit(entry.lockout_count); }, false},
      {[&] { return card.WritePin(entry.pin.bytes.data(), entry.pin.length); }, false},
  };
  return RunCardWrites(context_, view, writes);
}

}  // namespace pellam
