#include "app/core/card_finish.h"

#include "app/core/text_ids.h"

namespace pellam {

bool ReadCardUserId(ProgramContext& context) {
  SharedRecords& records = context.records();
  ClearCardData(records);
  CardData& data = records.card;
  const bool read = context.card.ReadUserAccount(data.user_id.bytes.data(), &data.user_id.length,
                                                 data.password.bytes.data(), &data.password.length) == 0;
  data.password.Clear();  // read only because the call reads both; nothing uses it
  if (read) return true;
  data.user_id.bytes.fill('\0');
  data.user_id.length = 0;
  return false;
}

void FinishCardOperation(ProgramContext& context, DialogView& view, std::int32_t done_text,
                         const std::function<void()>& record) {
  Messages& messages = context.messages;
  const bool closed = context.card.CloseDevice() == 0;
  record();
  if (!closed) {
    messages.ShowWarning(text::kReaderNotClosed, messages.ErrorCaption());
    view.EndDialog(kDialogCancel);
    return;
  }
  messages.ShowInformation(done_text, messages.InformationCaption());
  ClearCardData(context.records());
  ClearEntryData(context.records());
  messages.SetCursor(CursorShape::Arrow);
  view.EndDialog(kDialogOk);
}

}  // namespace pellam
