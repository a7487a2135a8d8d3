/* Lingrel: language files, text lookup by identifier, and the check that the
 * account running the program is a direct member of a local group.
 *
 * All functions keep no state: the caller owns the string table and its row
 * count. Texts are bytes in the system ANSI code page and are never converted.
 */
#pragma once

#include <stdint.h>

#include "platform/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define LINGREL_OK 0
#define LINGREL_FILE_ERROR 0x1000 /* a file cannot be opened, sized or read */
#define LINGREL_NO_MEMORY 0x2000  /* no memory for the read buffer */
#define LINGREL_NOT_MEMBER 20     /* CheckUserGroups: not a member, or the check failed */

/* A string table row: one language-file line, at most 599 bytes, then an LF. */
#define LINGREL_ROW_SIZE 600
/* The most rows a language file may have: the program's table holds 200. */
#define LINGREL_TABLE_ROWS 200

/* Chooses the language file for a locale from "VelLang.csv" (mode other than
 * 1) or "VelLang_Admin.csv" (mode 1) in the current directory. The buffer must
 * hold 256 bytes. An unlisted locale gives the English file name. */
PELLAM_EXPORT int32_t ReadVelLang(int32_t mode, int32_t locale_id, char* file_name, int32_t* file_name_length);

/* Loads a language file into `rows` (LINGREL_TABLE_ROWS rows of
 * LINGREL_ROW_SIZE bytes); `path_length` is not used. */
PELLAM_EXPORT int32_t ReadLangFile(const char* path, int32_t path_length, char* rows, int32_t* row_count);

/* Finds the text of `string_id` in the table and decodes its escapes into
 * `text` (at least 257 bytes), zero-terminated; "no string data" when absent. */
PELLAM_EXPORT int32_t GetStringLangData(const char* rows, int32_t row_count, int32_t string_id, char* text,
                                        int32_t* text_length);

/* Writes the low 16 bits of `value` as four upper-case hexadecimal digits,
 * without a terminator, and sets the count to 4. */
PELLAM_EXPORT int32_t ChangeLongToChar(int32_t value, char* digits, int32_t* digit_count);

/* Writes "DOMAIN\user" of the account running the process into a buffer of at
 * least 512 bytes; an empty text when the lookup fails. `unused` is not read. */
PELLAM_EXPORT int32_t GetUserAndDomain(char* account_name, int32_t* unused);

/* 0 when the account running the process is a direct member of the local
 * group `group_name`, else 20. `*out_four` is set to 4. */
PELLAM_EXPORT int32_t CheckUserGroups(const char* group_name, int32_t* out_four);

#ifdef __cplusplus
}
#endif
