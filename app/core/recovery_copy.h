// Recovery copies that do not belong to the list or the log they lie beside
// (see platform/file_rewrite.h): set aside before the library opens the file,
// and the operator told where they went.
#pragma once

#include <string>
#include <string_view>

#include "app/core/app_state.h"
#include "app/core/message_helpers.h"

namespace pellam {

// Sets such a copy beside the file at `path` aside; when it did, shows 9023
// naming the copy's new name, as a warning (question caption) that stops
// nothing.
void SetAsideForeignRecoveryCopy(AppState& state, Messages& messages, const char* path);

// `text` with its first "%s" replaced by `name` (the name appended on a line
// of its own when the text has none).
std::string TextNaming(std::string_view text, std::string_view name);

}  // namespace pellam
