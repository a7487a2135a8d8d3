#include "app/core/card_wait.h"

#include <algorithm>

#include "app/core/text_ids.h"

namespace pellam {

bool OpenReaderForDialog(ProgramContext& context, DialogView& view) {
  view.EnableWindow(false);
  context.messages.SetCursor(CursorShape::Wait);
  if (context.card.OpenDevice() == 0) return true;
  context.messages.ShowWarning(text::kReaderNotOpened, context.messages.ErrorCaption());
  view.EndDialog(kDialogCancel);
  return false;
}

bool WaitForDialogCard(ProgramContext& context, DialogView& view, const CardWaitRule& rule) {
  while (true) {
    CardKind kind = CardKind::NoCard;
    SenseCardKind(context.card, kind);
    std::int32_t question = 0;
    if (kind == CardKind::NoCard) {
      question = text::kPlaceCard;
    } else if (kind != rule.expected) {
      question = rule.wrong_kind_question;
    } else if (rule.accept) {
      question = rule.accept();
    }
    if (question == 0) return true;
    if (context.messages.AskWarning(question, context.messages.QuestionCaption()) != kAnswerOk) {
      context.card.CloseDevice();
      view.EndDialog(kDialogCancel);
      return false;
    }
    context.pause(kRetryPauseMilliseconds);
  }
}

std::int32_t SameCardAsRead(ProgramContext& context) {
  const SharedRecords& records = context.records();
  std::array<std::uint8_t, 8> id{};
  std::int32_t length = static_cast<std::int32_t>(id.size());
  const bool read = context.card.GetCardInfo(id.data(), &length) == 0 && length == static_cast<std::int32_t>(id.size());
  if (read && records.read_card_known && id == records.read_card_id) return 0;
  return text::kNotTheReadCard;
}

bool RunCardWrites(ProgramContext& context, DialogView& view, std::span<const CardWrite> writes) {
  for (const CardWrite& step : writes) {
    if (step.write() == 0) continue;
    Messages& messages = context.messages;
    FailCardOperation(context, view, text::kCardNotWritten,
                      step.question_caption ? messages.QuestionCaption() : messages.ErrorCaption());
    return false;
  }
  return true;
}

void FailCardOperation(ProgramContext& context, DialogView& view, std::int32_t text_id, std::string_view caption) {
  context.messages.ShowWarning(text_id, caption);
  context.card.CloseDevice();
  view.EndDialog(kDialogCancel);
}

}  // namespace pellam
