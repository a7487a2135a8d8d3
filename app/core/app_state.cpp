#include "app/core/app_state.h"

#include <algorithm>

#include "lang/Lingrel.h"

namespace pellam {

void LoadText(const AppState& state, std::int32_t id, TextBuffer& buffer) {
  buffer.fill('\0');
  std::int32_t length = static_cast<std::int32_t>(buffer.size());
  GetStringLangData(state.language_rows.data(), state.language_row_count, id, buffer.data(), &length);
}

std::string LookupText(const AppState& state, std::int32_t id) {
  TextBuffer buffer;
  LoadText(state, id, buffer);
  return BufferText(buffer);
}

std::string BufferText(const TextBuffer& buffer) {
  return std::string(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
}

}  // namespace pellam
