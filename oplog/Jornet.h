/* Jornet: the operation log "UserCardProcessLog.csv" in the current
 * directory, one line per completed card operation, oldest first:
 *
 *   year,month,day,hour,minute,first text,second text,operation name CR LF
 *
 * Before a line is appended, the oldest lines are removed while the log's
 * size plus the new line's length (counted with one LF) is above 2,000,000
 * bytes. A removal that fails leaves the log as it was; one that a crash
 * interrupts is completed by the next append from a complete copy of the new
 * contents kept beside the log while it is rewritten (applied only to the
 * log it was made for; any other is renamed aside, "-refused"). Each line is
 * forced to the storage device; a last line that a stopped append left
 * without its line end is ended before the next line. The library keeps no
 * state and never creates the log.
 */
#pragma once

#include <stdint.h>

#include "platform/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define JORNET_OK 0
#define JORNET_TRIM_FAILED 6     /* WriteNewLogRecord: removing the oldest line failed */
#define JORNET_FILE_ERROR 0x1000 /* the log cannot be opened, read or written */
#define JORNET_NO_MEMORY 0x2000  /* DeleteLogRecord: no memory for its buffer */

/* Operation codes of MakeLogRecord. */
#define JORNET_OP_ISSUE 1
#define JORNET_OP_UPDATE_DATA 2
#define JORNET_OP_UPDATE_OPTION 3
#define JORNET_OP_CHANGE_PIN 6
#define JORNET_OP_UNLOCK_PIN 7
#define JORNET_OP_INIT_DELETE_ID 8
#define JORNET_OP_INIT_KEEP_ID 9
#define JORNET_OP_ISSUE_CODE 0x100
#define JORNET_OP_UPDATE_CODE 0x200
#define JORNET_OP_INIT_CODE 0x700

/* The line buffer of MakeLogRecord: a line never needs more. */
#define JORNET_LINE_SIZE 400
/* The most bytes the log may hold before an append. */
#define JORNET_SIZE_LIMIT 2000000

/* Makes a log line stamped with the current local time, ending with one LF,
 * in `line` (JORNET_LINE_SIZE bytes), and sets `*line_length`. A control byte
 * (0x00-0x1F, 0x7F) in either text is written as '?'; texts that would not
 * fit the buffer are cut, the first text keeping as much as fits. An unknown
 * operation code writes "no action". Always 0 for valid pointers. */
PELLAM_EXPORT int32_t MakeLogRecord(const char* first_text, uint32_t first_length, const char* second_text,
                                    uint32_t second_length, int32_t operation, char* line, int32_t* line_length);

/* Appends a line made by MakeLogRecord, its LF written as CR LF, trimming the
 * log first. 0, 6 (trimming failed; the log is as it was before the removal
 * that failed) or 0x1000 (no log, or the append failed; the log is as it was
 * after trimming). */
PELLAM_EXPORT int32_t WriteNewLogRecord(const char* line, uint32_t line_length);

/* Removes the oldest line of the open log `handle`, up to and including its
 * LF. `*size` is set to the log's new size in bytes. `unused` is not read.
 * 0, 0x2000, or 0x1000 (no line end in the log, a read or write failed); on
 * failure the log is unchanged. */
PELLAM_EXPORT int32_t DeleteLogRecord(int32_t handle, int32_t* size, int32_t unused);

#ifdef __cplusplus
}
#endif
