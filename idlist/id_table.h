// The caller's user-ID table: rows of 512 bytes, row n holding line n of the
// list without its CR and ending with one LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "idlist/id_line.h"

namespace tallix {

// Rows of the program's table (TALLIX_TABLE_ROWS): no row is stored beyond.
inline constexpr std::int32_t kTableRows = 5000;

// Row `index` of the table.
inline char* RowAt(char* rows, std::int32_t index) { return rows + static_cast<std::size_t>(index) * kRowSize; }
inline const char* RowAt(const char* rows, std::int32_t index) {
  return rows + static_cast<std::size_t>(index) * kRowSize;
}

// The row's line up to (not including) its LF; the whole row when it has
// none, so that a damaged row is never read past its end.
std::string_view RowText(const char* row);

enum class TableFill {
  Ok,
  TooManyLines,  // more lines than the capacity; the table is untouched
  LineTooLong,   // a line of more than 511 bytes; the table is untouched
};

// Copies list text (CR LF already turned into LF) into the table: one row per
// LF-ended line. `lines` is set to the number of LF bytes, also when there are
// too many. A last line without LF is copied into the next row when the
// capacity leaves one, but not counted.
TableFill FillTable(std::string_view text, char* rows, std::int32_t capacity, std::int32_t& lines);

// The index of the first row whose user ID is `user_id`, and its numbers;
// -1 when no row has it.
std::int32_t FindUserId(const char* rows, std::int32_t row_count, std::string_view user_id, IdNumbers& numbers);

// Appends rows first..end-1, leaving out row `skip`, each written as a list
// line with CR LF. False for a damaged table: a row without LF, or with a
// 0x1A, which would end the list's data when it is next loaded.
bool AppendRowsAsLines(const char* rows, std::int32_t first, std::int32_t end, std::int32_t skip, std::string& out);

// Stores `line` (with its LF) in row `index`.
void StoreRow(char* rows, std::int32_t index, std::string_view line);

// Removes row `index`: later rows move up by one, each with zeros after its
// LF, the row that falls out of the table is cleared to zeros, and
// `row_count` goes down by one.
void RemoveRow(char* rows, std::int32_t& row_count, std::int32_t index);

}  // namespace tallix
