// One line of the user-ID list: making it from a user ID and four numbers,
// and reading the user ID and the numbers back out of it.
//
//   abc,2024,5,3,1          user ID without a comma: its bytes unchanged
//   "a,""b",2024,5,3,1      user ID a,"b: quoted, inner quotes doubled
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallix {

inline constexpr std::size_t kRowSize = 512;               // bytes per table row
inline constexpr std::size_t kLineTextMax = kRowSize - 1;  // line bytes before the LF

struct IdNumbers {
  std::int32_t year;
  std::int32_t month;
  std::int32_t day;
  std::int32_t issue_count;
};

// Writes "<user ID>,<year>,<month>,<day>,<count>" and one LF into `line`
// (room for kRowSize bytes) and returns its length. Nothing is written, and
// nothing is returned, when a number is outside the number format, the user
// ID holds an LF or a 0x1A (neither can be stored in a line), or the line
// would be longer than a row.
std::optional<std::size_t> MakeIdLine(std::string_view user_id, const IdNumbers& numbers, char* line);

// True when `line` can be stored as one list line: 1 to kRowSize bytes, one
// LF at its end and none before, no 0x1A (which ends a list when read).
bool IsStorableLine(std::string_view line);

// The user ID of a line (without its LF) and where the fields after it
// start. A line that begins with a double quote and holds more than four
// commas has a quoted user ID: a doubled quote stands for one, a single one
// ends the ID and the comma after it is skipped. Any other line's user ID is
// everything before its first comma. A quoted ID is decoded into `scratch`,
// which the returned view then refers to.
struct UserIdField {
  std::string_view user_id;
  std::size_t rest;  // offset in the line of the field after the user ID
};
UserIdField ReadUserId(std::string_view line, std::string& scratch);

// Year, month, day and count from the fields that start at `rest`: each up
// to the next comma or the line's end, read like atol; missing fields are 0.
IdNumbers ReadNumbers(std::string_view line, std::size_t rest);

}  // namespace tallix
