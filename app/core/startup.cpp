#include "app/core/startup.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "app/core/recovery_copy.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "lang/Lingrel.h"
#include "platform/path.h"
#include "platform/profile.h"

namespace pellam {

namespace {

constexpr std::size_t kLimitTextSize = 128;
constexpr std::int32_t kGroupNameLength = 1024;

struct FixedText {
  const char* text;
  const char* caption;
};

// The two failures shown before any language text exists: English, and
// Japanese in code page 932 for a system whose default locale is Japanese.
constexpr FixedText kMapFailed = {"Can't specified Language file.", "error"};
constexpr FixedText kMapFailedJapanese = {
    "\x8C\xBE\x8C\xEA\x91\xCE\x89\x9E\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x93\xC1\x92\xE8\x82\xC5\x82\xAB\x82"
    "\xDC\x82\xB9\x82\xF1\x81\x42",
    "\x83\x47\x83\x89\x81\x5B"};
constexpr FixedText kFileFailed = {"Can't read Language file.", "error"};
constexpr FixedText kFileFailedJapanese = {
    "\x8C\xBE\x8C\xEA\x91\xCE\x89\x9E\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82"
    "\xDC\x82\xB9\x82\xF1\x81\x42",
    "\x83\x47\x83\x89\x81\x5B"};

void ShowFixed(Messages& messages, const AppState& state, const FixedText& english, const FixedText& japanese) {
  const FixedText& text = state.JapaneseSystem() ? japanese : english;
  messages.ShowWarning(0, text.caption, text.text);
}

}  // namespace

std::int32_t CheckAdministrators() {
  std::int32_t length = kGroupNameLength;
  return CheckUserGroups(kAdministratorsGroup, &length);
}

bool LoadLanguage(AppState& state, Messages& messages, std::uint32_t locale_id) {
  state.locale_id = locale_id;

  char file_name[256] = {};
  std::int32_t file_name_length = 0;
  if (ReadVelLang(0, static_cast<std::int32_t>(locale_id), file_name, &file_name_length) != 0) {
    ShowFixed(messages, state, kMapFailed, kMapFailedJapanese);
    return false;
  }
  if (ReadLangFile(file_name, file_name_length, state.language_rows.data(), &state.language_row_count) != 0) {
    ShowFixed(messages, state, kFileFailed, kFileFailedJapanese);
    return false;
  }

  LoadText(state, text::kOk, state.ok_text);
  LoadText(state, text::kCancel, state.cancel_text);
  LoadText(state, text::kInformationCaption, state.information_caption);
  LoadText(state, text::kQuestionCaption, state.question_caption);
  LoadText(state, text::kErrorCaption, state.error_caption);
  return true;
}

bool RunStartup(AppState& state, Messages& messages, StartupServices& services) {
  if (!LoadLanguage(state, messages, services.locale_id)) return false;

  if (services.check_administrators() != 0) {
    messages.ShowWarning(text::kNotAdministrator, messages.ErrorCaption());
    return false;
  }

  if (MakeBackupFile(kUserIdListFile, platform::NativePath(kStartBackupFile).c_str()) != 0) {
    messages.ShowWarning(text::kStartBackupFailed, messages.QuestionCaption());
  }

  SetAsideForeignRecoveryCopy(state, messages, kUserIdListFile);
  if (OpenIDFile(kUserIdListFile, &state.list_handle) != 0) {
    messages.ShowWarning(text::kListNotOpened, messages.ErrorCaption());
    services.card.CloseDevice();
    return false;
  }
  state.user_id_count = kUserIdRows;
  if (ReadIDFileAll(state.list_handle, state.user_id_rows.data(), &state.user_id_count) != 0 ||
      state.user_id_count > kUserIdRows) {
    messages.ShowWarning(text::kListNotRead, messages.ErrorCaption());
    CloseIDFile(state.list_handle);
    services.card.CloseDevice();
    return false;
  }
  state.list_open = true;

  state.entry_limit = ReadEntryLimit();
  return true;
}

void RunExitPath(AppState& state, Messages& messages) {
  if (!state.list_open) return;
  CloseIDFile(state.list_handle);
  state.list_open = false;
  if (MakeBackupFile(kUserIdListFile, platform::NativePath(kExitBackupFile).c_str()) != 0) {
    messages.ShowWarning(text::kExitBackupFailed, messages.ErrorCaption());
  }
}

std::int32_t EntryLimitFromText(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // Only the clamped result matters, so the value stops growing past the top.
  std::int64_t value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = std::min<std::int64_t>(value * 10 + (text[at] - '0'), kEntryLimitMax + 1);
  }
  if (negative) value = -value;
  if (value < kEntryLimitDefault) return kEntryLimitDefault;
  if (value > kEntryLimitMax) return kEntryLimitMax;
  return static_cast<std::int32_t>(value);
}

std::int32_t ReadEntryLimit() {
  return EntryLimitFromText(platform::ReadProfileString(kSettingsFile, "EntryID", "Limit", "1000", kLimitTextSize));
}

}  // namespace pellam
