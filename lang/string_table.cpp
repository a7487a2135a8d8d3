#include "lang/string_table.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace lingrel {

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The row's bytes up to (not including) its LF; the whole row when it has
// none, so that a damaged table is never read past the row's end.
std::string_view RowLine(const char* row) {
  const void* lf = std::memchr(row, '\n', kRowSize);
  const std::size_t length = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - row) : kRowSize;
  return {row, length};
}

// Copies the text field of `line` (after its first comma) into `copied`:
// a comma right after a backslash replaces that backslash, any other comma
// ends the text, and at most kTextMax characters are taken.
std::size_t CopyTextField(std::string_view line, char* copied) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return 0;
  std::size_t taken = 0;
  for (std::size_t i = comma + 1; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ',') {
      if (line[i - 1] != '\\' || taken == 0) break;
      copied[taken - 1] = ',';
      continue;
    }
    if (taken == kTextMax) break;
    copied[taken++] = c;
  }
  return taken;
}

// Decodes "\n" to LF and "\\" to one backslash; any other backslash stays.
std::size_t DecodeEscapes(const char* copied, std::size_t size, char* out) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (copied[i] == '\\' && i + 1 < size && copied[i + 1] == 'n') {
      out[written++] = '\n';
      ++i;
    } else if (copied[i] == '\\' && i + 1 < size && copied[i + 1] == '\\') {
      out[written++] = '\\';
      ++i;
    } else {
      out[written++] = copied[i];
    }
  }
  return written;
}

}  // namespace

TableFill FillStringTable(std::string_view text, char* rows, std::int32_t& row_count) {
  const auto lines = std::count(text.begin(), text.end(), '\n');
  if (lines > kTableRows) return TableFill::TooManyRows;

  std::size_t row = 0;
  std::size_t column = 0;
  for (char c : text) {
    if (row >= static_cast<std::size_t>(kTableRows)) break;  // only a line without LF is left
    char* target = rows + row * kRowSize;
    if (c == '\n') {
      target[column] = '\n';
      ++row;
      column = 0;
    } else if (column < kRowTextMax) {
      target[column++] = c;
    }
  }
  row_count = static_cast<std::int32_t>(lines);
  return TableFill::Ok;
}

std::int32_t ParseIdentifier(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && IsCSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = std::min(value * 10 + (field[i] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

std::size_t LookupText(const char* rows, std::int32_t row_count, std::int32_t id, char* out) {
  for (std::int32_t r = 0; r < row_count; ++r) {
    const std::string_view line = RowLine(rows + static_cast<std::size_t>(r) * kRowSize);
    if (ParseIdentifier(line.substr(0, line.find(','))) != id) continue;
    char copied[kTextMax];
    const std::size_t length = DecodeEscapes(copied, CopyTextField(line, copied), out);
    out[length] = '\0';
    return length;
  }
  std::memcpy(out, kNoStringData.data(), kNoStringData.size());
  out[kNoStringData.size()] = '\0';
  return kNoStringData.size();
}

}  // namespace lingrel
