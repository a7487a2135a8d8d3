#include "cardlib/card_data.h"

#include <cstring>

#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

constexpr std::size_t kUserCodeSize = 4;
constexpr std::size_t kChargeTextOffset = 16;
constexpr std::size_t kChargeTextSize = 16;
constexpr std::int64_t kAmountLimit = 99999;

void Put16(std::uint8_t* at, std::int32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::int32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
}

std::int32_t Get16(const std::uint8_t* at) { return at[0] | at[1] << 8; }

std::uint32_t Get32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void PutDate(std::uint8_t* at, std::int32_t year, std::int32_t month, std::int32_t day) {
  Put16(at, year);
  at[2] = static_cast<std::uint8_t>(month);
  at[3] = static_cast<std::uint8_t>(day);
}

void GetDate(const std::uint8_t* at, std::int32_t* year, std::int32_t* month, std::int32_t* day) {
  *year = Get16(at);
  *month = at[2];
  *day = at[3];
}

}  // namespace

Detail TakeText(const std::uint8_t* data, std::size_t field_size, char* out, std::int32_t* length) {
  std::size_t size = 0;
  while (size < field_size && data[size] != 0) ++size;
  if (*length < 0 || size > static_cast<std::size_t>(*length)) return kBufferTooSmall;
  if (size > 0) std::memcpy(out, data, size);
  *length = static_cast<std::int32_t>(size);
  return kExportOk;
}

Detail ReadText(Card& card, Field field, char* out, std::int32_t* length) {
  if (const Detail read = card.ReadField(field); read != kCardOk) return read;
  return TakeText(card.ReadData(), FieldSize(field), out, length);
}

Detail WriteText(Card& card, Field field, const void* text, std::int32_t length) {
  std::uint8_t* data = card.ClearWriteBuffer();
  if (length > 0) std::memcpy(data, text, static_cast<std::size_t>(length));
  return card.WriteField(field);
}

Detail ReadUserAccount(Card& card, char* user_id, std::int32_t* user_id_length, char* password,
                       std::int32_t* password_length) {
  if (const Detail first = ReadText(card, Field::UserId, user_id, user_id_length); first != kExportOk) return first;
  return ReadText(card, Field::Password, password, password_length);
}

Detail WriteUserAccount(Card& card, const char* user_id, std::int32_t user_id_length, const char* password,
                        std::int32_t password_length) {
  if (const Detail first = WriteText(card, Field::UserId, user_id, user_id_length); first != kCardOk) return first;
  return WriteText(card, Field::Password, password, password_length);
}

Detail ReadIssueInfo(Card& card, std::int32_t* count, std::int32_t* year, std::int32_t* month, std::int32_t* day) {
  if (const Detail read = card.ReadField(Field::IssueCount); read != kCardOk) return read;
  const std::int32_t issue_count = Get16(card.ReadData());
  if (const Detail read = card.ReadField(Field::IssueDate); read != kCardOk) return read;
  *count = issue_count;
  GetDate(card.ReadData(), year, month, day);
  return kExportOk;
}

Detail WriteIssueInfo(Card& card, std::int32_t count, std::int32_t year, std::int32_t month, std::int32_t day) {
  Put16(card.ClearWriteBuffer(), count);
  if (const Detail written = card.WriteField(Field::IssueCount); written != kCardOk) return written;
  return WriteDate(card, Field::IssueDate, year, month, day);
}

Detail ReadDate(Card& card, Field field, std::int32_t* year, std::int32_t* month, std::int32_t* day) {
  if (const Detail read = card.ReadField(field); read != kCardOk) return read;
  GetDate(card.ReadData(), year, month, day);
  return kExportOk;
}

Detail WriteDate(Card& card, Field field, std::int32_t year, std::int32_t month, std::int32_t day) {
  PutDate(card.ClearWriteBuffer(), year, month, day);
  return card.WriteField(field);
}

Detail ReadUserCode(Card& card, std::uint8_t* code, std::int32_t* length) {
  if (const Detail read = card.ReadField(Field::UserCode); read != kCardOk) return read;
  const std::uint8_t* data = card.ReadData();
  bool present = false;
  for (std::size_t i = 0; i < kUserCodeSize; ++i) present = present || data[i] != 0;
  if (present) std::memcpy(code, data, kUserCodeSize);
  *length = present ? static_cast<std::int32_t>(kUserCodeSize) : 0;
  return kExportOk;
}

Detail WriteUserCode(Card& card, const std::uint8_t* code, std::int32_t length) {
  return WriteText(card, Field::UserCode, code, length);
}

Detail ReadBytes(Card& card, Field field, std::uint8_t* first, std::uint8_t* second) {
  if (const Detail read = card.ReadField(field); read != kCardOk) return read;
  *first = card.ReadData()[0];
  if (second != nullptr) *second = card.ReadData()[1];
  return kExportOk;
}

Detail WriteBytes(Card& card, Field field, std::int32_t first, std::int32_t second) {
  std::uint8_t* data = card.ClearWriteBuffer();
  data[0] = static_cast<std::uint8_t>(first);
  data[1] = static_cast<std::uint8_t>(second);
  return card.WriteField(field);
}

Detail ReadAmounts(Card& card, Field field, std::int32_t* first, std::int32_t* second) {
  if (const Detail read = card.ReadField(field); read != kCardOk) return read;
  *first = static_cast<std::int32_t>(Get32(card.ReadData()));
  if (second != nullptr) *second = static_cast<std::int32_t>(Get32(card.ReadData() + 4));
  return kExportOk;
}

Detail WriteAmounts(Card& card, Field field, std::int32_t first, std::int32_t second) {
  std::uint8_t* data = card.ClearWriteBuffer();
  Put32(data, first);
  Put32(data + 4, second);
  return card.WriteField(field);
}

Detail ReadLastCharge(Card& card, Field field, std::int32_t* year, std::int32_t* month, std::int32_t* day,
                      std::int32_t* amount, char* text, std::int32_t* text_length) {
  if (const Detail read = card.ReadField(field); read != kCardOk) return read;
  const std::uint8_t* data = card.ReadData();
  if (const Detail taken = TakeText(data + kChargeTextOffset, kChargeTextSize, text, text_length); taken != kExportOk) {
    return taken;
  }
  GetDate(data, year, month, day);
  *amount = static_cast<std::int32_t>(Get32(data + 4));
  return kExportOk;
}

Detail WriteLastCharge(Card& card, Field field, std::int32_t year, std::int32_t month, std::int32_t day,
                       std::int32_t amount, const char* text, std::int32_t text_length) {
  std::uint8_t* data = card.ClearWriteBuffer();
  PutDate(data, year, month, day);
  Put32(data + 4, amount);
  if (text_length > 0) std::memcpy(data + kChargeTextOffset, text, static_cast<std::size_t>(text_length));
  return card.WriteField(field);
}

Detail SenseCard(Card& card, std::int32_t* present, const std::uint8_t* system_codes, std::int32_t count) {
  const std::size_t codes = static_cast<std::size_t>(count);
  if (card.SameAsRemembered(system_codes, codes)) {
    if (card.RequestResponse() == kCardOk) {
      *present = 1;
      return kExportOk;
    }
    card.ForgetCurrent();
  } else {
    card.ForgetCurrent();
    card.Remember(system_codes, codes);
  }
  bool found = false;
  if (const Detail polled = card.Poll(card.RememberedList(), card.RememberedCount(), found); polled != kCardOk) {
    return polled;
  }
  *present = found ? 1 : 0;
  return kExportOk;
}

Detail GetCardInfo(Card& card, std::uint8_t* card_id, std::int32_t* card_id_length, std::uint8_t* parameters,
                   std::int32_t* parameters_length) {
  if (card.RequestResponse() != kCardOk) return kCardGone;
  std::memcpy(card_id, card.SensedId(), kCardIdSize);
  std::memcpy(parameters, card.SensedParameters(), kCardIdSize);
  *card_id_length = static_cast<std::int32_t>(kCardIdSize);
  *parameters_length = static_cast<std::int32_t>(kCardIdSize);
  return kExportOk;
}

Detail GetCardType(Card& card, std::int32_t* type) {
  if (const Detail read = card.ReadField(Field::AdminIdOfAdmin); read != kCardOk) return read;
  if (card.ReadData()[0] != 0) {
    *type = 16;
    return kExportOk;
  }
  if (const Detail read = card.ReadField(Field::UserId); read != kCardOk) return read;
  const bool user = card.ReadData()[0] != 0;
  if (const Detail read = card.ReadField(Field::Password); read != kCardOk) return read;
  if (user) {
    *type = 1;
    return kExportOk;
  }
  std::uint8_t code[kUserCodeSize];
  const ScopedWipe code_wipe(code, sizeof code);
  std::int32_t length = sizeof code;
  if (const Detail read = ReadUserCode(card, code, &length); read != kExportOk) return read;
  *type = length > 0 ? 256 : 0;
  return kExportOk;
}

Detail ChargePreCharge(Card& card, std::int32_t amount, std::int32_t* new_total) {
  if (const Detail read = card.ReadField(Field::PreCharge); read != kCardOk) return read;
  const std::uint32_t current = Get32(card.ReadData() + 4);
  const std::int64_t total = std::int64_t{current} + amount;
  if (total > kAmountLimit) {
    *new_total = static_cast<std::int32_t>(current);
    return kChargeLimit;
  }
  std::uint8_t* data = card.ClearWriteBuffer();
  Put32(data, static_cast<std::int32_t>(current));
  Put32(data + 4, static_cast<std::int32_t>(total));
  if (const Detail written = card.WriteField(Field::PreCharge); written != kCardOk) return written;
  *new_total = static_cast<std::int32_t>(total);
  return kExportOk;
}

Detail ChargeUserCharge(Card& card, std::int32_t amount, std::int32_t year, std::int32_t month, std::int32_t day,
                        const char* text, std::int32_t text_length, std::int32_t* new_total, std::int32_t* limit) {
  if (const Detail read = card.ReadField(Field::UserCharge); read != kCardOk) return read;
  const std::uint32_t current = Get32(card.ReadData() + 4);
  if (const Detail read = card.ReadField(Field::ChargeLimit); read != kCardOk) return read;
  const std::uint32_t upper = Get32(card.ReadData());
  const std::int64_t total = std::int64_t{current} + amount;
  const std::int64_t ceiling = upper != 0 ? std::int64_t{upper} : kAmountLimit;
  if (total > ceiling) {
    *new_total = static_cast<std::int32_t>(current);
    *limit = static_cast<std::int32_t>(upper);
    return kChargeLimit;
  }
  if (const Detail written = WriteLastCharge(card, Field::LastUserCharge, year, month, day, amount, text, text_length);
      written != kCardOk) {
    return written;
  }
  std::uint8_t* data = card.ClearWriteBuffer();
  Put32(data, static_cast<std::int32_t>(current));
  Put32(data + 4, static_cast<std::int32_t>(total));
  if (const Detail written = card.WriteField(Field::UserCharge); written != kCardOk) return written;
  *new_total = static_cast<std::int32_t>(total);
  *limit = static_cast<std::int32_t>(upper);
  return kExportOk;
}

}  // namespace corvex
