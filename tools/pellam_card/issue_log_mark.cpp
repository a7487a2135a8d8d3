#include "tools/pellam_card/issue_log_mark.h"

#include <array>
#include <cstdio>
#include <tuple>

#include "app/core/entry_checks.h"
#include "oplog/Jornet.h"

namespace pellam_card {

namespace {

constexpr std::size_t kStampFields = 5;  // year, month, day, hour, minute

auto Order(const platform::LocalDateTime& when) {
  return std::tuple(when.year, when.month, when.day, when.hour, when.minute);
}

// Splits a log line into its stamp and the rest after the stamp's comma;
// false when it does not start with five decimal numbers.
bool SplitStamp(std::string_view line, platform::LocalDateTime& when, std::string_view& rest) {
  int* const fields[kStampFields] = {&when.year, &when.month, &when.day, &when.hour, &when.minute};
  for (int* field : fields) {
    const std::size_t comma = line.find(',');
    const std::string_view number = line.substr(0, comma);
    if (comma == std::string_view::npos || number.empty() || number.size() > 4 || !pellam::AllDigits(number)) {
      return false;
    }
    *field = static_cast<int>(pellam::DecimalValue(number));
    line.remove_prefix(comma + 1);
  }
  rest = line;
  return true;
}

}  // namespace

std::string MarkText(const LogMark& mark) {
  std::array<char, 40> stamp{};
  std::snprintf(stamp.data(), stamp.size(), "%04d-%02d-%02d %02d:%02d", mark.since.year, mark.since.month,
                mark.since.day, mark.since.hour, mark.since.minute);
  return std::string(stamp.data()) + " " + mark.admin_id;
}

bool ParseMark(std::string_view text, LogMark& mark) {
  int values[5] = {};
  int used = 0;
  const std::string head(text.substr(0, 16));
  if (head.size() != 16 || text.size() < 17 || text[16] != ' ' ||
      std::sscanf(head.c_str(), "%4d-%2d-%2d %2d:%2d%n", &values[0], &values[1], &values[2], &values[3], &values[4],
                  &used) != 5 ||
      used != 16) {
    return false;
  }
  mark.since = {values[0], values[1], values[2], values[3], values[4]};
  mark.admin_id = std::string(text.substr(17));
  return true;
}

bool HasIssueLine(std::string_view log, std::string_view user_id, const LogMark& mark) {
  // The line this card's record would be, made as the log makes it (control
  // bytes replaced, long texts cut), without its stamp and line end.
  std::array<char, JORNET_LINE_SIZE> made{};
  std::int32_t length = static_cast<std::int32_t>(made.size());
  MakeLogRecord(user_id.data(), static_cast<std::uint32_t>(user_id.size()), mark.admin_id.data(),
                static_cast<std::uint32_t>(mark.admin_id.size()), JORNET_OP_ISSUE, made.data(), &length);
  platform::LocalDateTime unused{};
  std::string_view wanted;
  if (!SplitStamp(std::string_view(made.data(), static_cast<std::size_t>(length)), unused, wanted)) return false;
  if (!wanted.empty() && wanted.back() == '\n') wanted.remove_suffix(1);

  while (!log.empty()) {
    const std::size_t end = log.find('\n');
    if (end == std::string_view::npos) break;  // a line cut short is no record
    std::string_view line = log.substr(0, end);
    log.remove_prefix(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    platform::LocalDateTime when{};
    std::string_view rest;
    if (SplitStamp(line, when, rest) && rest == wanted && Order(when) >= Order(mark.since)) return true;
  }
  return false;
}

}  // namespace pellam_card
