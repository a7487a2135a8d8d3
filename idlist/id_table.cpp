#include "idlist/id_table.h"

#include <algorithm>
#include <cstring>

namespace tallix {

std::string_view RowText(const char* row) {
  const void* lf = std::memchr(row, '\n', kRowSize);
  const std::size_t length = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - row) : kRowSize;
  return {row, length};
}

TableFill FillTable(std::string_view text, char* rows, std::int32_t capacity, std::int32_t& lines) {
  const auto line_ends = std::count(text.begin(), text.end(), '\n');
  if (line_ends > std::max(capacity, 0)) {
    lines = static_cast<std::int32_t>(std::min<std::ptrdiff_t>(line_ends, INT32_MAX));
    return TableFill::TooManyLines;
  }
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t lf = text.find('\n', start);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (end - start > kLineTextMax) return TableFill::LineTooLong;
    start = end + 1;
  }

  std::int32_t row = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      // The last line has no line end: it is kept when a row is left, never counted.
      if (row < capacity) std::memcpy(RowAt(rows, row), text.data() + start, text.size() - start);
      break;
    }
    std::memcpy(RowAt(rows, row), text.data() + start, lf - start + 1);
    ++row;
    start = lf + 1;
  }
  lines = row;
  return TableFill::Ok;
}

std::int32_t FindUserId(const char* rows, std::int32_t row_count, std::string_view user_id, IdNumbers& numbers) {
  std::string scratch;
  for (std::int32_t r = 0; r < row_count; ++r) {
    const std::string_view line = RowText(RowAt(rows, r));
    const UserIdField field = ReadUserId(line, scratch);
    if (field.user_id != user_id) continue;
    numbers = ReadNumbers(line, field.rest);
    return r;
  }
  return -1;
}

bool AppendRowsAsLines(const char* rows, std::int32_t first, std::int32_t end, std::int32_t skip, std::string& out) {
  for (std::int32_t r = first; r < end; ++r) {
    if (r == skip) continue;
    const char* row = RowAt(rows, r);
    const std::string_view text = RowText(row);
    if (text.size() == kRowSize || text.find('\x1A') != std::string_view::npos) return false;
    out.append(text).append("\r\n");
  }
  return true;
}

void StoreRow(char* rows, std::int32_t index, std::string_view line) {
  std::memcpy(RowAt(rows, index), line.data(), line.size());
}

void RemoveRow(char* rows, std::int32_t& row_count, std::int32_t index) {
  for (std::int32_t r = index; r + 1 < row_count; ++r) {
    char* row = RowAt(rows, r);
    const std::string_view next = RowText(RowAt(rows, r + 1)).substr(0, kLineTextMax);
    std::memcpy(row, next.data(), next.size());
    row[next.size()] = '\n';
    std::memset(row + next.size() + 1, 0, kRowSize - next.size() - 1);
  }
  std::memset(RowAt(rows, row_count - 1), 0, kRowSize);
  --row_count;
}

}  // namespace tallix
