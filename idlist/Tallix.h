/* Tallix: the list of issued user IDs ("UserIDList.csv"), its in-memory
 * table, and backup copies of the list.
 *
 * The library keeps no state: the open list handle, the table and its row
 * count belong to the caller and are passed in on every call. Each list line
 * is: user ID, year, month, day, issue count, comma-separated, ending with
 * CR LF. A user ID holding a comma is written in double quotes, with every
 * double quote in it doubled.
 *
 * Changes to the list lose nothing: a WriteIDRecord or DeleteIDRecord that
 * fails leaves the table, its row count and the file as they were, and a
 * rewrite interrupted by a crash is completed by the next OpenIDFile from a
 * complete copy of the new contents kept beside the list while it is being
 * rewritten ("<list>.pending"). Such a copy is applied only while the list
 * holds what that rewrite began from, its result, or a state between; any
 * other is renamed to "<list>.pending.<YYYYMMDD-HHMMSS>-refused" and the
 * list used as it is.
 */
#pragma once

#include <stdint.h>

#include "platform/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define TALLIX_OK 0
#define TALLIX_DELETE_FAILED 5       /* DeleteIDRecord could not change the file */
#define TALLIX_FILE_ERROR 0x1000     /* a file cannot be opened, sized, read or written; too many lines */
#define TALLIX_NO_MEMORY 0x2000      /* no memory for a read buffer */
#define TALLIX_NUMBER_REFUSED 0x3000 /* a number below 0 or above 99999; a line that would not fit a row */

/* A table row: one list line of at most 511 bytes, then an LF. */
#define TALLIX_ROW_SIZE 512
/* The program's table holds this many rows. */
#define TALLIX_TABLE_ROWS 5000
/* The longest number: 99999. */
#define TALLIX_NUMBER_DIGITS 5

/* Opens an existing list for reading and writing, without sharing, and
 * completes a rewrite that a crash interrupted. `*handle` is set in every
 * case: negative when the open failed (0x1000). */
PELLAM_EXPORT int32_t OpenIDFile(const char* path, int32_t* handle);

/* Closes the list; always 0. */
PELLAM_EXPORT int32_t CloseIDFile(int32_t handle);

/* Loads the whole list into `rows`. `*row_count` is the table's capacity in
 * rows on entry and the number of lines on return. More lines than the
 * capacity: 0x1000 with the real line count in `*row_count`, table untouched.
 * A line longer than 511 bytes: 0x1000, table and count untouched. A last line
 * without line end is copied (when a row is left for it) but not counted. */
PELLAM_EXPORT int32_t ReadIDFileAll(int32_t handle, char* rows, int32_t* row_count);

/* Copies the file `source` byte for byte to `backup` (created when missing,
 * cut to the source's length). Both are opened without sharing. */
PELLAM_EXPORT int32_t MakeBackupFile(const char* source, const char* backup);

/* Makes a list line, ending with one LF, in `line` (room for
 * TALLIX_ROW_SIZE bytes) and sets `*line_length`. 0x3000, with nothing
 * written, for a number outside 0..99999 or a line longer than a row. */
PELLAM_EXPORT int32_t MakeIDRecord(const char* user_id, int32_t user_id_length, int32_t year, int32_t month,
                                   int32_t day, int32_t issue_count, char* line, int32_t* line_length);

/* Writes `value` (0..99999) in decimal without sign or leading zeros into
 * `digits` (at least 5 bytes, no terminator) and sets the digit count.
 * 0x3000, with nothing written, outside that range. */
PELLAM_EXPORT int32_t ChangeYMDForOutput(int32_t value, char* digits, int32_t* digit_count);

/* Stores a line made by MakeIDRecord: an index of an existing row replaces
 * that row and line; any other index appends a row and a line. 0 or 0x1000;
 * on 0x1000 nothing has changed. */
PELLAM_EXPORT int32_t WriteIDRecord(int32_t handle, int32_t row_index, const char* line, int32_t line_length,
                                    char* rows, int32_t* row_count);

/* Removes row `row_index` and its line; an index outside the table changes
 * nothing and gives 0. 0 or 5; on 5 nothing has changed. */
PELLAM_EXPORT int32_t DeleteIDRecord(int32_t handle, int32_t row_index, char* rows, int32_t* row_count);

/* Looks the zero-terminated `user_id` up (exact bytes). Not listed: index -1,
 * today's local date, count 1. Listed: the first matching row's index and
 * its date and count. `unused` is not read. Always 0. */
PELLAM_EXPORT int32_t SearchIDRecord(const char* rows, int32_t row_count, const char* user_id, int32_t unused,
                                     int32_t* row_index, int32_t* year, int32_t* month, int32_t* day,
                                     int32_t* issue_count);

#ifdef __cplusplus
}
#endif
