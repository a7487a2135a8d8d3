// PIN settings, PIN verification with its retry counter, and card
// initialisation.
//
//   exports -> [pin] -> card data, card fields
//
// The PIN is field 4 (up to 16 bytes, none when empty); the control block
// (field 2, the same block as field 3) holds the retry limit in byte 0
// (0 = no limit) and the retry count in byte 1; its other bytes are kept as
// read. The PIN is locked while a limit is set and the count has reached it.
#pragma once

#include <cstdint>

#include "cardlib/card_fields.h"
#include "cardlib/error_detail.h"

namespace corvex {

inline constexpr std::int32_t kPinMaxLength = 16;

// PIN check is always 1; with no PIN on the card the limit and count are
// left as they were.
Detail ReadPinSettings(Card& card, std::int32_t* present, std::int32_t* check, std::int32_t* limit, std::int32_t* count,
                       char* pin, std::int32_t* pin_length);

// 0x10000000 correct (count reset), 0x10000002 no PIN, 0x10000003 wrong,
// 0x10000006 locked (nothing written), 0x10000007 wrong and now locked; a
// failing counter update is returned instead.
Detail VerifyPin(Card& card, const char* pin, std::int32_t length);

// An empty PIN also sets the limit to 0 and the count to 0.
Detail WritePin(Card& card, const char* pin, std::int32_t length);
Detail WriteRetryLimit(Card& card, std::int32_t limit);
// The count rises by one and stops at 255.
Detail IncrementRetryCounter(Card& card);
Detail ResetRetryCounter(Card& card);

// Writes every field back to its empty value in the fixed order, stopping at
// the first failure.
Detail InitializeCard(Card& card);

}  // namespace corvex
