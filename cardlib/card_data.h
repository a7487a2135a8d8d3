// The card's data items as the exports see them: texts, numbers, dates,
// the user code, charges, sensing and the card type, each encoded into or
// decoded from its field.
//
//   exports -> [card data] -> card fields (read field, write field)
//
// Arguments arrive checked by the exports (ranges, pointers); what is left
// here is the card work and the capacity rules of the caller's buffers.
// Numbers are little-endian; texts are zero-padded to their field and read
// back up to their first zero byte. Every function returns an error detail.
#pragma once

#include <cstdint>

#include "cardlib/card_fields.h"
#include "cardlib/error_detail.h"

namespace corvex {

// The bytes of `data` (a field of `field_size` bytes) before its first zero
// byte, into `out` of capacity *length; 0x10020000 when they do not fit.
Detail TakeText(const std::uint8_t* data, std::size_t field_size, char* out, std::int32_t* length);

Detail ReadText(Card& card, Field field, char* out, std::int32_t* length);
// Writes `length` bytes of `text` zero-padded; 0 bytes clears the field.
Detail WriteText(Card& card, Field field, const void* text, std::int32_t length);

Detail ReadUserAccount(Card& card, char* user_id, std::int32_t* user_id_length, char* password,
                       std::int32_t* password_length);
Detail WriteUserAccount(Card& card, const char* user_id, std::int32_t user_id_length, const char* password,
                        std::int32_t password_length);

Detail ReadIssueInfo(Card& card, std::int32_t* count, std::int32_t* year, std::int32_t* month, std::int32_t* day);
Detail WriteIssueInfo(Card& card, std::int32_t count, std::int32_t year, std::int32_t month, std::int32_t day);
Detail ReadDate(Card& card, Field field, std::int32_t* year, std::int32_t* month, std::int32_t* day);
Detail WriteDate(Card& card, Field field, std::int32_t year, std::int32_t month, std::int32_t day);

Detail ReadUserCode(Card& card, std::uint8_t* code, std::int32_t* length);
Detail WriteUserCode(Card& card, const std::uint8_t* code, std::int32_t length);

// Single bytes at the start of a field (user configuration: two,
// transaction status: one); values written keep their low byte.
Detail ReadBytes(Card& card, Field field, std::uint8_t* first, std::uint8_t* second);
Detail WriteBytes(Card& card, Field field, std::int32_t first, std::int32_t second);

// Two 32-bit amounts (previous, current), or one (the limit; second null).
Detail ReadAmounts(Card& card, Field field, std::int32_t* first, std::int32_t* second);
Detail WriteAmounts(Card& card, Field field, std::int32_t first, std::int32_t second);

// Last user charge or payment: date, amount and a text of up to 16 bytes.
Detail ReadLastCharge(Card& card, Field field, std::int32_t* year, std::int32_t* month, std::int32_t* day,
                      std::int32_t* amount, char* text, std::int32_t* text_length);
Detail WriteLastCharge(Card& card, Field field, std::int32_t year, std::int32_t month, std::int32_t day,
                       std::int32_t amount, const char* text, std::int32_t text_length);

// A sense after the reader presence check: Request response when the list is
// the remembered one, else (or when the card does not answer) a polling.
Detail SenseCard(Card& card, std::int32_t* present, const std::uint8_t* system_codes, std::int32_t count);
// The current card must answer (else 0x10000005); then the sensed data.
Detail GetCardInfo(Card& card, std::uint8_t* card_id, std::int32_t* card_id_length, std::uint8_t* parameters,
                   std::int32_t* parameters_length);
// 16 administrator card, 1 user card, 256 user code only, 0 blank.
Detail GetCardType(Card& card, std::int32_t* type);

// Adds `amount` to the prepaid balance; 0x10080000 (with the current balance
// in *new_total) when the sum would reach 100000.
Detail ChargePreCharge(Card& card, std::int32_t amount, std::int32_t* new_total);
// Adds `amount` to the user charge within its upper limit, recording the
// charge's date, amount and text first.
Detail ChargeUserCharge(Card& card, std::int32_t amount, std::int32_t year, std::int32_t month, std::int32_t day,
                        const char* text, std::int32_t text_length, std::int32_t* new_total, std::int32_t* limit);

}  // namespace corvex
