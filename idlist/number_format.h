// The number format of the list (and of the program's displays): decimal,
// no sign, no leading zeros, 1 to 5 digits.
#pragma once

#include <cstdint>
#include <string_view>

namespace tallix {

inline constexpr std::int32_t kNumberMax = 99999;
inline constexpr std::size_t kNumberDigitsMax = 5;

// Writes `value` into `digits` (room for kNumberDigitsMax bytes, no
// terminator) and sets `count`; false, with nothing written, when `value` is
// below 0 or above kNumberMax.
bool FormatNumber(std::int32_t value, char* digits, std::int32_t& count);

// Reads a number field the way the C library's atol does: leading white
// space, an optional sign, then digits up to the first other byte; no digits
// give 0. Values beyond the 32-bit range saturate.
std::int32_t ParseNumber(std::string_view field);

}  // namespace tallix
