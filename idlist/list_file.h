// The list file itself: open, load into the table, replace, append and
// delete lines, back up. Every change goes through platform::RewriteFile, so
// that a failure leaves table and file as they were and a crash leaves the
// file wholly old or wholly new (see platform/file_rewrite.h).
#pragma once

#include <cstdint>
#include <string_view>

namespace tallix {

enum class ListStatus {
  Ok,
  FileError,     // a file could not be opened, sized, read or written
  NoMemory,      // no buffer for the file's contents
  TooManyLines,  // more lines than the table's capacity
  Refused,       // a line, row or table that cannot be stored
};

// Opens the list without sharing and completes an interrupted rewrite.
ListStatus OpenList(const char* path, std::int32_t& handle);

void CloseList(std::int32_t handle);

// Loads the list into `rows`; `row_count` is the capacity on entry and the
// number of lines on return (also when there are too many).
ListStatus LoadList(std::int32_t handle, char* rows, std::int32_t& row_count);

// Replaces line `index`, or appends when `index` is not a row of the table.
// The line is written at its real place in the file, found by counting line
// ends in the file itself, so that earlier lines ending with a bare LF are
// never overwritten. A last line without line end is kept: as it is by a
// replacement, and ended with CR LF before an append, which then adds it to
// the table too (the count grows by two). Table and count change only when
// the file has.
ListStatus WriteLine(std::int32_t handle, std::int32_t index, std::string_view line, char* rows,
                     std::int32_t& row_count);

// Removes row and line `index` (0..row_count-1) and rewrites the whole file
// from the table, keeping a last line without line end as it is. Table and
// count change only when the file has.
ListStatus DeleteLine(std::int32_t handle, std::int32_t index, char* rows, std::int32_t& row_count);

// Copies `source` to `backup`. When the source has a pending rewrite that
// its next open would complete (never one it would refuse), the backup gets
// those new contents.
ListStatus BackupList(const char* source, const char* backup);

}  // namespace tallix
