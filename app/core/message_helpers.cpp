#include "app/core/message_helpers.h"

#include <algorithm>

namespace pellam {

namespace {

std::string_view Terminated(const TextBuffer& buffer) {
  return std::string_view(buffer.data(),
                          static_cast<std::size_t>(std::find(buffer.begin(), buffer.end(), '\0') - buffer.begin()));
}

}  // namespace

bool Messages::Show(std::int32_t text_id, std::string_view literal, std::string_view caption, MessageBoxKind kind) {
  surface_.SetCursor(CursorShape::Arrow);
  TextBuffer text{};
  if (text_id != 0) {
    LoadText(state_, text_id, text);
  } else {
    std::copy_n(literal.begin(), std::min(literal.size(), text.size() - 1), text.begin());
  }
  const WindowRef owner = surface_.IsWindow(state_.message_owner) ? state_.message_owner : kNoWindow;
  return surface_.ShowMessageBox(owner, Terminated(text), caption, kind);
}

int Messages::Ask(std::int32_t text_id, std::string_view literal, std::string_view caption, MessageBoxKind kind) {
  if (!Show(text_id, literal, caption, kind)) return kAnswerCancel;
  surface_.SetCursor(CursorShape::Wait);
  return kAnswerOk;
}

void Messages::ShowWarning(std::int32_t text_id, std::string_view caption, std::string_view literal) {
  Show(text_id, literal, caption, MessageBoxKind::Warning);
}

int Messages::AskWarning(std::int32_t text_id, std::string_view caption, std::string_view literal) {
  return Ask(text_id, literal, caption, MessageBoxKind::WarningQuestion);
}

int Messages::AskConfirm(std::int32_t text_id, std::string_view caption, std::string_view literal) {
  return Ask(text_id, literal, caption, MessageBoxKind::Confirm);
}

void Messages::ShowInformation(std::int32_t text_id, std::string_view caption, std::string_view literal) {
  Show(text_id, literal, caption, MessageBoxKind::Information);
}

std::string_view Messages::InformationCaption() const { return Terminated(state_.information_caption); }
std::string_view Messages::QuestionCaption() const { return Terminated(state_.question_caption); }
std::string_view Messages::ErrorCaption() const { return Terminated(state_.error_caption); }

}  // namespace pellam
