// A card's log line, found again when a batch is resumed. The "writing" row
// of a card notes, in its message, the local time its writes begin (to the
// minute, as the log stamps its lines) and the administrator ID of the run:
//
//   2026-12-08 07:30 ADMIN01
//
// A batch that stopped after the card's list line but before its log line is
// told by the log holding no issue line of that user ID and administrator
// stamped at or after that time.
#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace pellam_card {

struct LogMark {
  platform::LocalDateTime since{};
  std::string admin_id;
};

std::string MarkText(const LogMark& mark);
// False for a message that is not a mark (a report of an older batch).
bool ParseMark(std::string_view text, LogMark& mark);

// Whether `log` (the log file's bytes) holds the issue line of a user-ID card
// for `user_id`, written by `mark.admin_id` at or after `mark.since`.
bool HasIssueLine(std::string_view log, std::string_view user_id, const LogMark& mark);

}  // namespace pellam_card
