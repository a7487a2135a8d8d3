#include "cardlib/pin.h"

#include <cstring>

#include "cardlib/card_data.h"
#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

constexpr std::size_t kLimitByte = 0;
constexpr std::size_t kCountByte = 1;
constexpr std::uint8_t kCountMax = 255;
constexpr std::size_t kControlBlockSize = 16;
constexpr std::int32_t kPinCheck = 1;

bool Success(Detail detail) { return IsSuccess(detail); }

// Rewrites the control block as read, with byte `at` replaced by what
// `change` makes of it.
template <typename Change>
Detail UpdateControl(Card& card, Field field, std::size_t at, Change change) {
  if (const Detail read = card.ReadField(field); read != kCardOk) return read;
  std::uint8_t block[kControlBlockSize];
  const ScopedWipe block_wipe(block, sizeof block);
  std::memcpy(block, card.ReadData(), sizeof block);
  block[at] = change(block[at]);
  std::memcpy(card.ClearWriteBuffer(), block, sizeof block);
  return card.WriteField(field);
}

// One step of the initialisation.
using InitStep = Detail (*)(Card&);

constexpr InitStep kInitSteps[] = {
    [](Card& card) { return WriteUserAccount(card, nullptr, 0, nullptr, 0); },
    [](Card& card) { return WriteText(card, Field::UserName, nullptr, 0); },
    [](Card& card) { return WritePin(card, nullptr, 0); },
    [](Card& card) { return WriteText(card, Field::CommentToUser, nullptr, 0); },
    [](Card& card) { return WriteText(card, Field::AdminIdOnUser, nullptr, 0); },
    [](Card& card) { return WriteText(card, Field::CommentOfAdmin, nullptr, 0); },
    [](Card& card) { return WriteText(card, Field::AdminIdOfAdmin, nullptr, 0); },
    [](Card& card) { return WriteIssueInfo(card, 0, 0, 0, 0); },
    [](Card& card) { return WriteUserCode(card, nullptr, 0); },
    [](Card& card) { return WriteDate(card, Field::ExpiryDate, 0, 0, 0); },
    [](Card& card) { return WriteBytes(card, Field::UserConfig, 0, 0); },
    [](Card& card) { return WriteAmounts(card, Field::PreCharge, 0, 0); },
    [](Card& card) { return WriteAmounts(card, Field::UserCharge, 0, 0); },
    [](Card& card) { return WriteAmounts(card, Field::ChargeLimit, 0, 0); },
    [](Card& card) { return WriteLastCharge(card, Field::LastUserCharge, 0, 0, 0, 0, nullptr, 0); },
    [](Card& card) { return WriteLastCharge(card, Field::LastUserPayment, 0, 0, 0, 0, nullptr, 0); },
    [](Card& card) { return WriteBytes(card, Field::TransactionStatus, 0, 0); },
};

}  // namespace

Detail ReadPinSettings(Card& card, std::int32_t* present, std::int32_t* check, std::int32_t* limit, std::int32_t* count,
                       char* pin, std::int32_t* pin_length) {
  *check = kPinCheck;
  if (const Detail read = ReadText(card, Field::Pin, pin, pin_length); read != kExportOk) return read;
  if (*pin_length == 0) {
    *present = 0;
    return kExportOk;
  }
  *present = 1;
  if (const Detail read = card.ReadField(Field::PinControl); read != kCardOk) return read;
  *limit = card.ReadData()[kLimitByte];
  *count = card.ReadData()[kCountByte];
  return kExportOk;
}

Detail VerifyPin(Card& card, const char* pin, std::int32_t length) {
  char stored[512];
  std::int32_t stored_length = sizeof stored;
  std::int32_t present = 0;
  std::int32_t check = 0;
  std::int32_t limit = 0;
  std::int32_t count = 0;
  Detail result = ReadPinSettings(card, &present, &check, &limit, &count, stored, &stored_length);
  if (Success(result)) {
    if (present == 0) {
      result = kNoPin;
    } else if (limit != 0 && count >= limit) {
      result = kPinLocked;
    } else if (length == stored_length && std::memcmp(pin, stored, static_cast<std::size_t>(length)) == 0) {
      result = ResetRetryCounter(card);
    } else {
      result = IncrementRetryCounter(card);
      if (Success(result)) result = limit != 0 && count + 1 >= limit ? kPinNowLocked : kWrongPin;
    }
  }
  SecureWipe(stored, sizeof stored);
  return result;
}

Detail WritePin(Card& card, const char* pin, std::int32_t length) {
  if (const Detail written = WriteText(card, Field::Pin, pin, length); written != kCardOk) return written;
  if (length > 0) return kCardOk;
  if (const Detail cleared = WriteRetryLimit(card, 0); cleared != kCardOk) return cleared;
  return ResetRetryCounter(card);
}

Detail WriteRetryLimit(Card& card, std::int32_t limit) {
  return UpdateControl(card, Field::PinControl, kLimitByte,
                       [limit](std::uint8_t) { return static_cast<std::uint8_t>(limit); });
}

Detail IncrementRetryCounter(Card& card) {
  return UpdateControl(card, Field::RetryCount, kCountByte, [](std::uint8_t count) {
    return count < kCountMax ? static_cast<std::uint8_t>(count + 1) : count;
  });
}

Detail ResetRetryCounter(Card& card) {
  return UpdateControl(card, Field::RetryCount, kCountByte, [](std::uint8_t) { return std::uint8_t{0}; });
}

Detail InitializeCard(Card& card) {
  for (const InitStep step : kInitSteps) {
    if (const Detail done = step(card); !Success(done)) return done;
  }
  return kExportOk;
}

}  // namespace corvex
