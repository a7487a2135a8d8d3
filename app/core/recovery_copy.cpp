#include "app/core/recovery_copy.h"

#include <optional>

#include "app/core/text_ids.h"
#include "platform/file_rewrite.h"

namespace pellam {

void SetAsideForeignRecoveryCopy(AppState& state, Messages& messages, const char* path) {
  const std::optional<std::string> set_aside = platform::SetAsideForeignSideCopy(path);
  if (!set_aside) return;
  const std::string text = TextNaming(LookupText(state, text::kForeignRecoveryCopy), *set_aside);
  messages.ShowWarning(0, messages.QuestionCaption(), text);
}

std::string TextNaming(std::string_view text, std::string_view name) {
  std::string named(text);
  const std::size_t at = named.find("%s");
  if (at == std::string::npos) return named.append("\n").append(name);
  return named.replace(at, 2, name);
}

}  // namespace pellam
