#include "idlist/number_format.h"

#include <algorithm>
#include <limits>

namespace tallix {

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

bool FormatNumber(std::int32_t value, char* digits, std::int32_t& count) {
  if (value < 0 || value > kNumberMax) return false;
  char reversed[kNumberDigitsMax];
  std::int32_t n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  for (std::int32_t i = 0; i < n; ++i) digits[i] = reversed[n - 1 - i];
  count = n;
  return true;
}

std::int32_t ParseNumber(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && IsCSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = std::min(value * 10 + (field[i] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min(value, kLimit - 1));
}

}  // namespace tallix
