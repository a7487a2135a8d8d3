// The exported functions of Corvex: argument checks, then the open check,
// then the card work of card_data.h and pin.h. Every result goes through
// Device::Fail, which records a failure's error detail and maps the detail to
// the status code returned. Every export that does more than copy constants
// runs inside Device::Run, which wipes the card buffers as it returns and
// turns an escaping exception into a failure.
#include <cstring>

#include "cardlib/Corvex.h"
#include "cardlib/card_data.h"
#include "cardlib/discovery.h"
#include "cardlib/library.h"
#include "cardlib/pin.h"

namespace {

using corvex::Card;
using corvex::Field;
using corvex::TheDevice;

// Longest texts and codes a write accepts, in bytes.
constexpr std::int32_t kUserIdMax = 128;
constexpr std::int32_t kPasswordMax = 256;
constexpr std::int32_t kPinMax = corvex::kPinMaxLength;
constexpr std::int32_t kUserNameMax = 64;
constexpr std::int32_t kCommentMax = 128;
constexpr std::int32_t kAdminIdMax = 128;
constexpr std::int32_t kUserCodeMax = 4;
constexpr std::int32_t kChargeTextMax = 16;

constexpr std::int32_t kYearMax = 3000;
constexpr std::int32_t kMonthMax = 12;
constexpr std::int32_t kDayMax = 31;
constexpr std::int32_t kAmountMax = 99999;
constexpr std::int32_t kIssueCountMax = 65535;
constexpr std::int32_t kRetryLimitMax = 255;
constexpr std::int32_t kPollingCodesMax = 16;
constexpr std::int32_t kCardInfoSize = 8;  // card identifier and parameter bytes
constexpr std::int32_t kUserCodeSize = 4;

// GenGetMaxLength's table, then GenGetMaxLengthEx's two extra values.
constexpr std::int32_t kMaxLengths[CORVEX_MAX_LENGTH_ENTRIES] = {128, 256, 16, 1, 64, 128, 128, 128, 2, 4};
constexpr std::int32_t kMaxLengthsExtra[2] = {16, 10};

template <typename... Pointers>
bool NonNull(const Pointers*... pointers) {
  return ((pointers != nullptr) && ...);
}

bool InRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

// A text handed in: length 0..limit, and a pointer unless it is empty.
bool TextIn(const void* text, std::int32_t length, std::int32_t limit) {
  return InRange(length, 0, limit) && (length == 0 || text != nullptr);
}

// A buffer handed out with its in/out length; the capacity must not be negative.
bool BufferOut(const void* buffer, const std::int32_t* length) {
  return buffer != nullptr && length != nullptr && *length >= 0;
}

bool ValidDate(std::int32_t year, std::int32_t month, std::int32_t day) {
  return InRange(year, 0, kYearMax) && InRange(month, 0, kMonthMax) && InRange(day, 0, kDayMax);
}

// The checks every operation starts with: the arguments, any buffer that
// cannot hold its result, then the open device. 0 when the work may begin.
std::int32_t Admit(bool arguments_valid, bool buffers_fit = true) {
  corvex::Device& device = TheDevice();
  if (!arguments_valid) return device.Fail(corvex::kInvalidArgument);
  if (!buffers_fit) return device.Fail(corvex::kBufferTooSmall);
  if (!device.IsOpen()) return device.Fail(corvex::kDeviceNotOpen);
  return CORVEX_OK;
}

// `body` (returning a status code) as one operation of the device.
template <typename Body>
std::int32_t Guarded(Body body) noexcept {
  return TheDevice().Run(body);
}

// The checks, then `work` on the card; its detail mapped to the status.
template <typename Work>
std::int32_t CardWork(bool arguments_valid, bool buffers_fit, Work work) noexcept {
  return Guarded([&] {
    if (const std::int32_t status = Admit(arguments_valid, buffers_fit); status != CORVEX_OK) return status;
    return TheDevice().Fail(work(TheDevice().card()));
  });
}

template <typename Work>
std::int32_t CardWork(bool arguments_valid, Work work) noexcept {
  return CardWork(arguments_valid, true, work);
}

std::int32_t TextRead(Field field, char* buffer, std::int32_t* length) {
  return CardWork(BufferOut(buffer, length), [&](Card& card) { return corvex::ReadText(card, field, buffer, length); });
}

std::int32_t TextWrite(Field field, const char* text, std::int32_t length, std::int32_t limit) {
  return CardWork(TextIn(text, length, limit),
                  [&](Card& card) { return corvex::WriteText(card, field, text, length); });
}

std::int32_t AmountsRead(Field field, std::int32_t* first, std::int32_t* second) {
  return CardWork(NonNull(first, second), [&](Card& card) { return corvex::ReadAmounts(card, field, first, second); });
}

std::int32_t AmountsWrite(Field field, std::int32_t previous, std::int32_t current) {
  return CardWork(InRange(previous, 0, kAmountMax) && InRange(current, 0, kAmountMax),
                  [&](Card& card) { return corvex::WriteAmounts(card, field, previous, current); });
}

std::int32_t LastChargeRead(Field field, std::int32_t* year, std::int32_t* month, std::int32_t* day,
                            std::int32_t* amount, char* text, std::int32_t* text_length) {
  return CardWork(NonNull(year, month, day, amount) && BufferOut(text, text_length), [&](Card& card) {
    return corvex::ReadLastCharge(card, field, year, month, day, amount, text, text_length);
  });
}

std::int32_t LastChargeWrite(Field field, std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t amount,
                             const char* text, std::int32_t text_length) {
  return CardWork(
      ValidDate(year, month, day) && InRange(amount, 0, kAmountMax) && TextIn(text, text_length, kChargeTextMax),
      [&](Card& card) { return corvex::WriteLastCharge(card, field, year, month, day, amount, text, text_length); });
}

}  // namespace

extern "C" {

int32_t GenOpenDevice(const char* model_name, const char* port_path) noexcept {
  return Guarded([&] {
    const bool path_fits = port_path == nullptr || strnlen(port_path, corvex::kPortPathMax + 1) <= corvex::kPortPathMax;
    if (!path_fits) return TheDevice().Fail(corvex::kInvalidArgument);
    return TheDevice().Open(model_name, port_path);
  });
}

int32_t GenCloseDevice(void) noexcept {
  return Guarded([] { return TheDevice().Close(); });
}

int32_t GenSenseCard(int32_t* present, const uint8_t* system_codes, int32_t count) noexcept {
  return Guarded([&] {
    if (const int32_t status = Admit(NonNull(present, system_codes) && InRange(count, 1, kPollingCodesMax));
        status != CORVEX_OK) {
      return status;
    }
    if (const int32_t status = TheDevice().CheckReaderPresent(); status != CORVEX_OK) return status;
    return TheDevice().Fail(corvex::SenseCard(TheDevice().card(), present, system_codes, count));
  });
}

int32_t GenGetCardInfo(uint8_t* card_id, int32_t* card_id_length, uint8_t* parameters,
                       int32_t* parameters_length) noexcept {
  const bool valid =
      NonNull(card_id, card_id_length, parameters, parameters_length) && *card_id_length > 0 && *parameters_length > 0;
  const bool fits = valid && *card_id_length >= kCardInfoSize && *parameters_length >= kCardInfoSize;
  return CardWork(valid, fits, [&](Card& card) {
    return corvex::GetCardInfo(card, card_id, card_id_length, parameters, parameters_length);
  });
}

int32_t GenGetCardType(int32_t* card_type) noexcept {
  return CardWork(NonNull(card_type), [&](Card& card) { return corvex::GetCardType(card, card_type); });
}

int32_t GenGetLastErrorDetail(void) noexcept { return static_cast<int32_t>(TheDevice().LastErrorDetail()); }

int32_t GenGetMaxLength(int32_t* table) noexcept {
  if (const int32_t status = Admit(NonNull(table)); status != CORVEX_OK) return status;
  std::memcpy(table, kMaxLengths, sizeof kMaxLengths);
  return CORVEX_OK;
}

int32_t GenGetMaxLengthEx(int32_t* table, int32_t* extra_first, int32_t* extra_second) noexcept {
  if (const int32_t status = Admit(NonNull(table, extra_first, extra_second)); status != CORVEX_OK) return status;
  std::memcpy(table, kMaxLengths, sizeof kMaxLengths);
  *extra_first = kMaxLengthsExtra[0];
  *extra_second = kMaxLengthsExtra[1];
  return CORVEX_OK;
}

int32_t GenSetAllKey(void) noexcept { return Admit(true); }

int32_t GenInitializeCard(void) noexcept {
  return CardWork(true, [](Card& card) { return corvex::InitializeCard(card); });
}

int32_t GenReadUserAccount(char* user_id, int32_t* user_id_length, char* password, int32_t* password_length) noexcept {
  return CardWork(BufferOut(user_id, user_id_length) && BufferOut(password, password_length), [&](Card& card) {
    return corvex::ReadUserAccount(card, user_id, user_id_length, password, password_length);
  });
}

int32_t GenWriteUserAccount(const char* user_id, int32_t user_id_length, const char* password,
                            int32_t password_length) noexcept {
  return CardWork(
      TextIn(user_id, user_id_length, kUserIdMax) && TextIn(password, password_length, kPasswordMax),
      [&](Card& card) { return corvex::WriteUserAccount(card, user_id, user_id_length, password, password_length); });
}

int32_t GenReadUserName(char* name, int32_t* name_length) noexcept {
  return TextRead(Field::UserName, name, name_length);
}

int32_t GenWriteUserName(const char* name, int32_t name_length) noexcept {
  return TextWrite(Field::UserName, name, name_length, kUserNameMax);
}

int32_t GenReadPINSettings(int32_t* pin_present, int32_t* pin_check, int32_t* retry_limit, int32_t* retry_count,
                           char* pin, int32_t* pin_length) noexcept {
  return CardWork(
      NonNull(pin_present, pin_check, retry_limit, retry_count, pin, pin_length) && *pin_length > 0, [&](Card& card) {
        return corvex::ReadPinSettings(card, pin_present, pin_check, retry_limit, retry_count, pin, pin_length);
      });
}

int32_t GenWritePIN(const char* pin, int32_t pin_length) noexcept {
  return CardWork(TextIn(pin, pin_length, kPinMax),
                  [&](Card& card) { return corvex::WritePin(card, pin, pin_length); });
}

int32_t GenWriteRetryLimit(int32_t retry_limit) noexcept {
  return CardWork(InRange(retry_limit, 0, kRetryLimitMax),
                  [&](Card& card) { return corvex::WriteRetryLimit(card, retry_limit); });
}

int32_t GenReadCommentFromUser(char* comment, int32_t* comment_length) noexcept {
  return TextRead(Field::CommentToUser, comment, comment_length);
}

int32_t GenWriteCommentToUser(const char* comment, int32_t comment_length) noexcept {
  return TextWrite(Field::CommentToUser, comment, comment_length, kCommentMax);
}

int32_t GenReadAdminIdFromUser(char* admin_id, int32_t* admin_id_length) noexcept {
  return TextRead(Field::AdminIdOnUser, admin_id, admin_id_length);
}

int32_t GenWriteAdminIdToUser(const char* admin_id, int32_t admin_id_length) noexcept {
  return TextWrite(Field::AdminIdOnUser, admin_id, admin_id_length, kAdminIdMax);
}

int32_t GenReadCommentFromAdmin(char* comment, int32_t* comment_length) noexcept {
  return TextRead(Field::CommentOfAdmin, comment, comment_length);
}

int32_t GenWriteCommentToAdmin(const char* comment, int32_t comment_length) noexcept {
  return TextWrite(Field::CommentOfAdmin, comment, comment_length, kCommentMax);
}

int32_t GenReadAdminIdFromAdmin(char* admin_id, int32_t* admin_id_length) noexcept {
  return TextRead(Field::AdminIdOfAdmin, admin_id, admin_id_length);
}

int32_t GenWriteAdminIdToAdmin(const char* admin_id, int32_t admin_id_length) noexcept {
  return TextWrite(Field::AdminIdOfAdmin, admin_id, admin_id_length, kAdminIdMax);
}

int32_t GenReadIssueInfo(int32_t* issue_count, int32_t* year, int32_t* month, int32_t* day) noexcept {
  return CardWork(NonNull(issue_count, year, month, day),
                  [&](Card& card) { return corvex::ReadIssueInfo(card, issue_count, year, month, day); });
}

int32_t GenWriteIssueInfo(int32_t issue_count, int32_t year, int32_t month, int32_t day) noexcept {
  return CardWork(InRange(issue_count, 0, kIssueCountMax) && ValidDate(year, month, day),
                  [&](Card& card) { return corvex::WriteIssueInfo(card, issue_count, year, month, day); });
}

int32_t GenReadUserCode(uint8_t* code, int32_t* code_length) noexcept {
  const bool valid = BufferOut(code, code_length);
  return CardWork(valid, valid && *code_length >= kUserCodeSize,
                  [&](Card& card) { return corvex::ReadUserCode(card, code, code_length); });
}

int32_t GenWriteUserCode(const uint8_t* code, int32_t code_length) noexcept {
  return CardWork(TextIn(code, code_length, kUserCodeMax),
                  [&](Card& card) { return corvex::WriteUserCode(card, code, code_length); });
}

int32_t GenReadExpireDate(int32_t* year, int32_t* month, int32_t* day) noexcept {
  return CardWork(NonNull(year, month, day),
                  [&](Card& card) { return corvex::ReadDate(card, Field::ExpiryDate, year, month, day); });
}

int32_t GenWriteExpireDate(int32_t year, int32_t month, int32_t day) noexcept {
  return CardWork(ValidDate(year, month, day),
                  [&](Card& card) { return corvex::WriteDate(card, Field::ExpiryDate, year, month, day); });
}

int32_t GenReadUserConfig(uint8_t* first, uint8_t* second) noexcept {
  return CardWork(NonNull(first, second),
                  [&](Card& card) { return corvex::ReadBytes(card, Field::UserConfig, first, second); });
}

int32_t GenWriteUserConfig(int32_t first, int32_t second) noexcept {
  return CardWork(true, [&](Card& card) { return corvex::WriteBytes(card, Field::UserConfig, first, second); });
}

int32_t GenReadPreCharge(int32_t* previous, int32_t* current) noexcept {
  return AmountsRead(Field::PreCharge, previous, current);
}

int32_t GenWritePreCharge(int32_t previous, int32_t current) noexcept {
  return AmountsWrite(Field::PreCharge, previous, current);
}

int32_t GenReadUserCharge(int32_t* previous, int32_t* current) noexcept {
  return AmountsRead(Field::UserCharge, previous, current);
}

int32_t GenWriteUserCharge(int32_t previous, int32_t current) noexcept {
  return AmountsWrite(Field::UserCharge, previous, current);
}

int32_t GenReadChargeUpperLimit(int32_t* limit) noexcept {
  return CardWork(NonNull(limit),
                  [&](Card& card) { return corvex::ReadAmounts(card, Field::ChargeLimit, limit, nullptr); });
}

int32_t GenWriteChargeUpperLimit(int32_t limit) noexcept {
  return CardWork(InRange(limit, 0, kAmountMax),
                  [&](Card& card) { return corvex::WriteAmounts(card, Field::ChargeLimit, limit, 0); });
}

int32_t GenReadLastUserCharge(int32_t* year, int32_t* month, int32_t* day, int32_t* amount, char* text,
                              int32_t* text_length) noexcept {
  return LastChargeRead(Field::LastUserCharge, year, month, day, amount, text, text_length);
}

int32_t GenWriteLastUserCharge(int32_t year, int32_t month, int32_t day, int32_t amount, const char* text,
                               int32_t text_length) noexcept {
  return LastChargeWrite(Field::LastUserCharge, year, month, day, amount, text, text_length);
}

int32_t GenReadLastUserPayment(int32_t* year, int32_t* month, int32_t* day, int32_t* amount, char* text,
                               int32_t* text_length) noexcept {
  return LastChargeRead(Field::LastUserPayment, year, month, day, amount, text, text_length);
}

int32_t GenWriteLastUserPayment(int32_t year, int32_t month, int32_t day, int32_t amount, const char* text,
                                int32_t text_length) noexcept {
  return LastChargeWrite(Field::LastUserPayment, year, month, day, amount, text, text_length);
}

int32_t GenReadTransactionStatus(uint8_t* status) noexcept {
  return CardWork(NonNull(status),
                  [&](Card& card) { return corvex::ReadBytes(card, Field::TransactionStatus, status, nullptr); });
}

int32_t GenWriteTransactionStatus(int32_t status) noexcept {
  return CardWork(true, [&](Card& card) { return corvex::WriteBytes(card, Field::TransactionStatus, status, 0); });
}

int32_t GenVerifyPIN(const char* pin, int32_t pin_length) noexcept {
  return CardWork(pin != nullptr && pin_length >= 0,
                  [&](Card& card) { return corvex::VerifyPin(card, pin, pin_length); });
}

int32_t GenIncrementRetryCounter(void) noexcept {
  return CardWork(true, [](Card& card) { return corvex::IncrementRetryCounter(card); });
}

int32_t GenResetRetryCounter(void) noexcept {
  return CardWork(true, [](Card& card) { return corvex::ResetRetryCounter(card); });
}

int32_t GenChargePreCharge(int32_t amount, int32_t* new_total) noexcept {
  return CardWork(InRange(amount, 1, kAmountMax) && NonNull(new_total),
                  [&](Card& card) { return corvex::ChargePreCharge(card, amount, new_total); });
}

int32_t GenChargeUserCharge(int32_t amount, int32_t year, int32_t month, int32_t day, const char* text,
                            int32_t text_length, int32_t* new_total, int32_t* limit) noexcept {
  const bool valid = InRange(amount, 1, kAmountMax) && InRange(year, 0, kYearMax) && InRange(month, 1, kMonthMax) &&
                     InRange(day, 1, kDayMax) && InRange(text_length, 1, kChargeTextMax) &&
                     NonNull(text, new_total, limit);
  return CardWork(valid, [&](Card& card) {
    return corvex::ChargeUserCharge(card, amount, year, month, day, text, text_length, new_total, limit);
  });
}

}  // extern "C"
