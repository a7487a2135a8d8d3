// The start-up work the main window does before it is shown: language, group
// check, user-ID list backup and load, and the user-ID limit. Every failure
// but the backup shows its message and ends start-up; the program then exits
// with status 1.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "app/core/app_state.h"
#include "app/core/card_access.h"
#include "app/core/message_helpers.h"
#include "platform/sleep.h"

namespace pellam {

inline constexpr const char* kUserIdListFile = "UserIDList.csv";
inline constexpr const char* kStartBackupFile = ".\\backup\\BBackupUser.csv";
inline constexpr const char* kExitBackupFile = ".\\backup\\EBackupUser.csv";
inline constexpr const char* kSettingsFile = ".\\Pellam.ini";
inline constexpr const char* kAdministratorsGroup = "Administrators";
inline constexpr int kStartupFailedExitStatus = 1;

// What start-up needs from outside the libraries it calls.
struct StartupServices {
  CardAccess& card;
  std::uint32_t locale_id;
  // 0 when the account is a member of "Administrators" (CheckUserGroups).
  std::function<std::int32_t()> check_administrators;
  // The pause of the card-wait loops.
  std::function<void(std::uint32_t)> pause = platform::SleepMilliseconds;
};

// The group check through the language library.
std::int32_t CheckAdministrators();

// The language file of the locale (standard set) into the state's table,
// and the common texts; the fixed message of a failure otherwise.
bool LoadLanguage(AppState& state, Messages& messages, std::uint32_t locale_id);

// Runs the start-up steps in order; true when the main window may open.
bool RunStartup(AppState& state, Messages& messages, StartupServices& services);

// Closes the user-ID list and copies it to the exit backup (message 9008 when
// the copy fails). Does nothing when start-up never opened the list.
void RunExitPath(AppState& state, Messages& messages);

// The user-ID limit from the "Limit" text: read like atol, then held within
// 1000..5000 (text that is no number reads as 0 and gives 1000).
std::int32_t EntryLimitFromText(std::string_view text);

// "Limit" of section "EntryID" in ".\Pellam.ini" (default "1000"), clamped.
std::int32_t ReadEntryLimit();

}  // namespace pellam
