/* Corvex: the card library. It finds the card reader/writer, keeps the serial
 * link to it, and reads and writes the cards on it.
 *
 * Every function returns a status code (0 is success) except
 * GenGetLastErrorDetail, which returns the error detail of the most recent
 * failure; successful calls leave that detail as it was. Each function checks
 * its arguments first (CORVEX_INVALID_ARGUMENT), then that the device is open
 * (CORVEX_NOT_OPEN), then works.
 *
 * Texts are bytes without terminator: pointer plus length on the way in; on
 * the way out a buffer plus an in/out length (capacity in, stored length out).
 * A text read returns the field's bytes up to its first zero byte.
 *
 * The library keeps one device state for the whole process and is not
 * re-entrant: call it from one thread at a time. Unloading the library closes
 * the device if it is still open.
 *
 * Time: every function returns within 60 s of its call, whatever the reader
 * sends or withholds (purging and closing the port, which wait for no
 * answer, aside). A read or write on the serial link ends within the port's
 * timeouts (50 ms a byte plus 1 s); the library starts one only when it ends
 * within the function's 60 s, asking for fewer bytes when that fits, and
 * pauses only when the pause fits. A function that runs out of time fails
 * with CORVEX_INCOMPLETE_ANSWER and the error detail 0x2000004 (while the
 * reader is being opened or closed, CORVEX_FAILURE with that detail plus the
 * phase bit), or with the failure a shortened read brought (an incomplete or
 * too long answer). A reader that answers at once takes milliseconds per
 * exchange.
 */
#pragma once

#include <stdint.h>

#include "platform/export.h"

/* No exception leaves a function of the library: a failure inside it, such as
 * memory running out, is answered CORVEX_FAILURE with its own error detail. */
#ifdef __cplusplus
#define CORVEX_NOEXCEPT noexcept
#else
#define CORVEX_NOEXCEPT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes. */
#define CORVEX_OK 0
#define CORVEX_INCOMPLETE_ANSWER 0x1 /* the reader's answer stayed incomplete */
#define CORVEX_NO_PIN 0x2
#define CORVEX_WRONG_PIN 0x3
#define CORVEX_NO_CARD 0x5
#define CORVEX_PIN_LOCKED 0x6
#define CORVEX_WRONG_PIN_NOW_LOCKED 0x7
#define CORVEX_ALREADY_OPEN 0x100
#define CORVEX_NOT_OPEN 0x200
#define CORVEX_CLOSE_FAILED 0x300     /* the port could not be closed */
#define CORVEX_READER_NOT_FOUND 0x500 /* reader not found or not reachable */
#define CORVEX_CLOSE_REFUSED 0x600    /* the reader refused a command while closing */
#define CORVEX_PORT_FAILURE 0x900
#define CORVEX_READER_STATUS 0xA00 /* the reader's status byte reported an error */
#define CORVEX_RESPONSE_ED 0xB00
#define CORVEX_RESPONSE_FD_FF 0xC00
#define CORVEX_INVALID_ARGUMENT 0x10000
#define CORVEX_BUFFER_TOO_SMALL 0x20000
#define CORVEX_CARD_FAILURE 0x50000 /* the card or the reader reported a failure status */
#define CORVEX_CHARGE_LIMIT 0x60000
#define CORVEX_PROTOCOL_FAILURE 0x1000000
#define CORVEX_FAILURE 0x7F000000 /* any other failure */

/* Results of GenGetCardType. */
#define CORVEX_CARD_BLANK 0
#define CORVEX_CARD_USER 1
#define CORVEX_CARD_ADMIN 16
#define CORVEX_CARD_CODE_ONLY 256

/* Entries of the table filled by GenGetMaxLength. */
#define CORVEX_MAX_LENGTH_ENTRIES 10

/* Device and card. */

/* Finds the reader and opens the link to it. `model_name` (zero-terminated or
 * null) must be "PR300" when given. `port_path` (zero-terminated, at most 511
 * bytes, or null) names the port; null finds it through the registry. */
PELLAM_EXPORT int32_t GenOpenDevice(const char* model_name, const char* port_path) CORVEX_NOEXCEPT;
/* Returns the reader to its idle link settings and closes the port. The
 * device is open exactly while its port is: a port that cannot be closed
 * (CORVEX_CLOSE_FAILED, or after a failed GenOpenDevice) keeps the device
 * open, and calling this again retries. */
PELLAM_EXPORT int32_t GenCloseDevice(void) CORVEX_NOEXCEPT;
/* Looks for a card answering one of `count` (1..16) two-byte system codes;
 * `*present` is 1 when one answers, 0 when none does. */
PELLAM_EXPORT int32_t GenSenseCard(int32_t* present, const uint8_t* system_codes, int32_t count) CORVEX_NOEXCEPT;
/* The 8-byte identifier and 8 parameter bytes of the sensed card (capacities
 * of at least 8; both lengths set to 8). */
PELLAM_EXPORT int32_t GenGetCardInfo(uint8_t* card_id, int32_t* card_id_length, uint8_t* parameters,
                                     int32_t* parameters_length) CORVEX_NOEXCEPT;
/* One of the CORVEX_CARD_* values. */
PELLAM_EXPORT int32_t GenGetCardType(int32_t* card_type) CORVEX_NOEXCEPT;
/* The error detail of the most recent failure (0 before any). */
PELLAM_EXPORT int32_t GenGetLastErrorDetail(void) CORVEX_NOEXCEPT;
/* Fills ten entries: 128, 256, 16, 1, 64, 128, 128, 128, 2, 4. */
PELLAM_EXPORT int32_t GenGetMaxLength(int32_t* table) CORVEX_NOEXCEPT;
/* Fills the same ten entries, then 16 and 10. */
PELLAM_EXPORT int32_t GenGetMaxLengthEx(int32_t* table, int32_t* extra_first, int32_t* extra_second) CORVEX_NOEXCEPT;
/* 0 when the device is open (the keys are registered when it opens). */
PELLAM_EXPORT int32_t GenSetAllKey(void) CORVEX_NOEXCEPT;
/* Writes every field of the card back to its empty value. */
PELLAM_EXPORT int32_t GenInitializeCard(void) CORVEX_NOEXCEPT;

/* Field reads and writes. Write limits: user ID 128, password 256, user name
 * 64, PIN 16, comments and administrator IDs 128, user code 4, charge text 16
 * bytes; dates year 0..3000, month 0..12, day 0..31; amounts 0..99999. */
PELLAM_EXPORT int32_t GenReadUserAccount(char* user_id, int32_t* user_id_length, char* password,
                                         int32_t* password_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteUserAccount(const char* user_id, int32_t user_id_length, const char* password,
                                          int32_t password_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadUserName(char* name, int32_t* name_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteUserName(const char* name, int32_t name_length) CORVEX_NOEXCEPT;
/* `pin_check` is always 1. The PIN buffer's capacity must be above 0. */
PELLAM_EXPORT int32_t GenReadPINSettings(int32_t* pin_present, int32_t* pin_check, int32_t* retry_limit,
                                         int32_t* retry_count, char* pin, int32_t* pin_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWritePIN(const char* pin, int32_t pin_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteRetryLimit(int32_t retry_limit) CORVEX_NOEXCEPT; /* 0..255, 0 = no limit */
PELLAM_EXPORT int32_t GenReadCommentFromUser(char* comment, int32_t* comment_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteCommentToUser(const char* comment, int32_t comment_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadAdminIdFromUser(char* admin_id, int32_t* admin_id_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteAdminIdToUser(const char* admin_id, int32_t admin_id_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadCommentFromAdmin(char* comment, int32_t* comment_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteCommentToAdmin(const char* comment, int32_t comment_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadAdminIdFromAdmin(char* admin_id, int32_t* admin_id_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteAdminIdToAdmin(const char* admin_id, int32_t admin_id_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadIssueInfo(int32_t* issue_count, int32_t* year, int32_t* month,
                                       int32_t* day) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteIssueInfo(int32_t issue_count, int32_t year, int32_t month, int32_t day) CORVEX_NOEXCEPT;
/* The capacity must be at least 4; the length comes back 0 (no code) or 4. */
PELLAM_EXPORT int32_t GenReadUserCode(uint8_t* code, int32_t* code_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteUserCode(const uint8_t* code, int32_t code_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadExpireDate(int32_t* year, int32_t* month, int32_t* day) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteExpireDate(int32_t year, int32_t month, int32_t day) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadUserConfig(uint8_t* first, uint8_t* second) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteUserConfig(int32_t first, int32_t second) CORVEX_NOEXCEPT; /* low bytes stored */
PELLAM_EXPORT int32_t GenReadPreCharge(int32_t* previous, int32_t* current) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWritePreCharge(int32_t previous, int32_t current) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadUserCharge(int32_t* previous, int32_t* current) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteUserCharge(int32_t previous, int32_t current) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadChargeUpperLimit(int32_t* limit) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteChargeUpperLimit(int32_t limit) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadLastUserCharge(int32_t* year, int32_t* month, int32_t* day, int32_t* amount, char* text,
                                            int32_t* text_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteLastUserCharge(int32_t year, int32_t month, int32_t day, int32_t amount, const char* text,
                                             int32_t text_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadLastUserPayment(int32_t* year, int32_t* month, int32_t* day, int32_t* amount, char* text,
                                             int32_t* text_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteLastUserPayment(int32_t year, int32_t month, int32_t day, int32_t amount,
                                              const char* text, int32_t text_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenReadTransactionStatus(uint8_t* status) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenWriteTransactionStatus(int32_t status) CORVEX_NOEXCEPT; /* low byte stored */

/* PIN and counters. */
PELLAM_EXPORT int32_t GenVerifyPIN(const char* pin, int32_t pin_length) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenIncrementRetryCounter(void) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenResetRetryCounter(void) CORVEX_NOEXCEPT;

/* Charges: amount 1..99999; GenChargeUserCharge also month 1..12, day
 * 1..31 and a text of 1..16 bytes. */
PELLAM_EXPORT int32_t GenChargePreCharge(int32_t amount, int32_t* new_total) CORVEX_NOEXCEPT;
PELLAM_EXPORT int32_t GenChargeUserCharge(int32_t amount, int32_t year, int32_t month, int32_t day, const char* text,
                                          int32_t text_length, int32_t* new_total, int32_t* limit) CORVEX_NOEXCEPT;

#ifdef __cplusplus
}
#endif
