// The exported functions of Corvex: argument checks, then the open check,
// then the device. Every failure goes through Device::Fail, which records its
// error detail and maps it to the status code returned.
//
// The card work behind field reads and writes, PIN, charges, initialisation,
// card sensing, card information and card type arrives with the card
// commands; until then those operations answer, after their checks, with the
// "not implemented" detail.
#include <cstring>

#include "cardlib/Corvex.h"
#include "cardlib/discovery.h"
#include "cardlib/library.h"

namespace {

using corvex::TheDevice;

// Longest texts and codes a write accepts, in bytes.
constexpr std::int32_t kUserIdMax = 128;
constexpr std::int32_t kPasswordMax = 256;
constexpr std::int32_t kPinMax = 16;
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

// Card work that arrives with the card commands: checked, then refused.
std::int32_t PendingCardWork(bool arguments_valid, bool buffers_fit = true) {
  if (const std::int32_t status = Admit(arguments_valid, buffers_fit); status != CORVEX_OK) return status;
  return TheDevice().Fail(corvex::kNotImplemented);
}

std::int32_t TextRead(const char* buffer, const std::int32_t* length) {
  return PendingCardWork(BufferOut(buffer, length));
}

std::int32_t TextWrite(const char* text, std::int32_t length, std::int32_t limit) {
  return PendingCardWork(TextIn(text, length, limit));
}

std::int32_t PairRead(const std::int32_t* first, const std::int32_t* second) {
  return PendingCardWork(NonNull(first, second));
}

std::int32_t AmountPairWrite(std::int32_t previous, std::int32_t current) {
  return PendingCardWork(InRange(previous, 0, kAmountMax) && InRange(current, 0, kAmountMax));
}

std::int32_t LastChargeRead(const std::int32_t* year, const std::int32_t* month, const std::int32_t* day,
                            const std::int32_t* amount, const char* text, const std::int32_t* text_length) {
  return PendingCardWork(NonNull(year, month, day, amount) && BufferOut(text, text_length));
}

std::int32_t LastChargeWrite(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t amount,
                             const char* text, std::int32_t text_length) {
  return PendingCardWork(ValidDate(year, month, day) && InRange(amount, 0, kAmountMax) &&
                         TextIn(text, text_length, kChargeTextMax));
}

}  // namespace

extern "C" {

int32_t GenOpenDevice(const char* model_name, const char* port_path) {
  const bool path_fits = port_path == nullptr || strnlen(port_path, corvex::kPortPathMax + 1) <= corvex::kPortPathMax;
  if (!path_fits) return TheDevice().Fail(corvex::kInvalidArgument);
  return TheDevice().Open(model_name, port_path);
}

int32_t GenCloseDevice(void) { return TheDevice().Close(); }

int32_t GenSenseCard(int32_t* present, const uint8_t* system_codes, int32_t count) {
  if (const int32_t status = Admit(NonNull(present, system_codes) && InRange(count, 1, kPollingCodesMax));
      status != CORVEX_OK) {
    return status;
  }
  if (const int32_t status = TheDevice().CheckReaderPresent(); status != CORVEX_OK) return status;
  return TheDevice().Fail(corvex::kNotImplemented);
}

int32_t GenGetCardInfo(uint8_t* card_id, int32_t* card_id_length, uint8_t* parameters, int32_t* parameters_length) {
  const bool valid =
      NonNull(card_id, card_id_length, parameters, parameters_length) && *card_id_length > 0 && *parameters_length > 0;
  const bool fits = valid && *card_id_length >= kCardInfoSize && *parameters_length >= kCardInfoSize;
  return PendingCardWork(valid, fits);
}

int32_t GenGetCardType(int32_t* card_type) { return PendingCardWork(NonNull(card_type)); }

int32_t GenGetLastErrorDetail(void) { return static_cast<int32_t>(TheDevice().LastErrorDetail()); }

int32_t GenGetMaxLength(int32_t* table) {
  if (const int32_t status = Admit(NonNull(table)); status != CORVEX_OK) return status;
  std::memcpy(table, kMaxLengths, sizeof kMaxLengths);
  return CORVEX_OK;
}

int32_t GenGetMaxLengthEx(int32_t* table, int32_t* extra_first, int32_t* extra_second) {
  if (const int32_t status = Admit(NonNull(table, extra_first, extra_second)); status != CORVEX_OK) return status;
  std::memcpy(table, kMaxLengths, sizeof kMaxLengths);
  *extra_first = kMaxLengthsExtra[0];
  *extra_second = kMaxLengthsExtra[1];
  return CORVEX_OK;
}

int32_t GenSetAllKey(void) { return Admit(true); }

int32_t GenInitializeCard(void) { return PendingCardWork(true); }

int32_t GenReadUserAccount(char* user_id, int32_t* user_id_length, char* password, int32_t* password_length) {
  return PendingCardWork(BufferOut(user_id, user_id_length) && BufferOut(password, password_length));
}

int32_t GenWriteUserAccount(const char* user_id, int32_t user_id_length, const char* password,
                            int32_t password_length) {
  return PendingCardWork(TextIn(user_id, user_id_length, kUserIdMax) &&
                         TextIn(password, password_length, kPasswordMax));
}

int32_t GenReadUserName(char* name, int32_t* name_length) { return TextRead(name, name_length); }

int32_t GenWriteUserName(const char* name, int32_t name_length) { return TextWrite(name, name_length, kUserNameMax); }

int32_t GenReadPINSettings(int32_t* pin_present, int32_t* pin_check, int32_t* retry_limit, int32_t* retry_count,
                           char* pin, int32_t* pin_length) {
  return PendingCardWork(NonNull(pin_present, pin_check, retry_limit, retry_count, pin, pin_length) && *pin_length > 0);
}

int32_t GenWritePIN(const char* pin, int32_t pin_length) { return TextWrite(pin, pin_length, kPinMax); }

int32_t GenWriteRetryLimit(int32_t retry_limit) { return PendingCardWork(InRange(retry_limit, 0, kRetryLimitMax)); }

int32_t GenReadCommentFromUser(char* comment, int32_t* comment_length) { return TextRead(comment, comment_length); }

int32_t GenWriteCommentToUser(const char* comment, int32_t comment_length) {
  return TextWrite(comment, comment_length, kCommentMax);
}

int32_t GenReadAdminIdFromUser(char* admin_id, int32_t* admin_id_length) { return TextRead(admin_id, admin_id_length); }

int32_t GenWriteAdminIdToUser(const char* admin_id, int32_t admin_id_length) {
  return TextWrite(admin_id, admin_id_length, kAdminIdMax);
}

int32_t GenReadCommentFromAdmin(char* comment, int32_t* comment_length) { return TextRead(comment, comment_length); }

int32_t GenWriteCommentToAdmin(const char* comment, int32_t comment_length) {
  return TextWrite(comment, comment_length, kCommentMax);
}

int32_t GenReadAdminIdFromAdmin(char* admin_id, int32_t* admin_id_length) {
  return TextRead(admin_id, admin_id_length);
}

int32_t GenWriteAdminIdToAdmin(const char* admin_id, int32_t admin_id_length) {
  return TextWrite(admin_id, admin_id_length, kAdminIdMax);
}

int32_t GenReadIssueInfo(int32_t* issue_count, int32_t* year, int32_t* month, int32_t* day) {
  return PendingCardWork(NonNull(issue_count, year, month, day));
}

int32_t GenWriteIssueInfo(int32_t issue_count, int32_t year, int32_t month, int32_t day) {
  return PendingCardWork(InRange(issue_count, 0, kIssueCountMax) && ValidDate(year, month, day));
}

int32_t GenReadUserCode(uint8_t* code, int32_t* code_length) {
  const bool valid = BufferOut(code, code_length);
  return PendingCardWork(valid, valid && *code_length >= kUserCodeSize);
}

int32_t GenWriteUserCode(const uint8_t* code, int32_t code_length) {
  return PendingCardWork(TextIn(code, code_length, kUserCodeMax));
}

int32_t GenReadExpireDate(int32_t* year, int32_t* month, int32_t* day) {
  return PendingCardWork(NonNull(year, month, day));
}

int32_t GenWriteExpireDate(int32_t year, int32_t month, int32_t day) {
  return PendingCardWork(ValidDate(year, month, day));
}

int32_t GenReadUserConfig(uint8_t* first, uint8_t* second) { return PendingCardWork(NonNull(first, second)); }

int32_t GenWriteUserConfig(int32_t /*first*/, int32_t /*second*/) { return PendingCardWork(true); }

int32_t GenReadPreCharge(int32_t* previous, int32_t* current) { return PairRead(previous, current); }

int32_t GenWritePreCharge(int32_t previous, int32_t current) { return AmountPairWrite(previous, current); }

int32_t GenReadUserCharge(int32_t* previous, int32_t* current) { return PairRead(previous, current); }

int32_t GenWriteUserCharge(int32_t previous, int32_t current) { return AmountPairWrite(previous, current); }

int32_t GenReadChargeUpperLimit(int32_t* limit) { return PendingCardWork(NonNull(limit)); }

int32_t GenWriteChargeUpperLimit(int32_t limit) { return PendingCardWork(InRange(limit, 0, kAmountMax)); }

int32_t GenReadLastUserCharge(int32_t* year, int32_t* month, int32_t* day, int32_t* amount, char* text,
                              int32_t* text_length) {
  return LastChargeRead(year, month, day, amount, text, text_length);
}

int32_t GenWriteLastUserCharge(int32_t year, int32_t month, int32_t day, int32_t amount, const char* text,
                               int32_t text_length) {
  return LastChargeWrite(year, month, day, amount, text, text_length);
}

int32_t GenReadLastUserPayment(int32_t* year, int32_t* month, int32_t* day, int32_t* amount, char* text,
                               int32_t* text_length) {
  return LastChargeRead(year, month, day, amount, text, text_length);
}

int32_t GenWriteLastUserPayment(int32_t year, int32_t month, int32_t day, int32_t amount, const char* text,
                                int32_t text_length) {
  return LastChargeWrite(year, month, day, amount, text, text_length);
}

int32_t GenReadTransactionStatus(uint8_t* status) { return PendingCardWork(NonNull(status)); }

int32_t GenWriteTransactionStatus(int32_t /*status*/) { return PendingCardWork(true); }

int32_t GenVerifyPIN(const char* pin, int32_t pin_length) { return PendingCardWork(pin != nullptr && pin_length >= 0); }

int32_t GenIncrementRetryCounter(void) { return PendingCardWork(true); }

int32_t GenResetRetryCounter(void) { return PendingCardWork(true); }

int32_t GenChargePreCharge(int32_t amount, int32_t* new_total) {
  return PendingCardWork(InRange(amount, 1, kAmountMax) && NonNull(new_total));
}

int32_t GenChargeUserCharge(int32_t amount, int32_t year, int32_t month, int32_t day, const char* text,
                            int32_t text_length, int32_t* new_total, int32_t* limit) {
  return PendingCardWork(InRange(amount, 1, kAmountMax) && InRange(year, 0, kYearMax) && InRange(month, 1, kMonthMax) &&
                         InRange(day, 1, kDayMax) && InRange(text_length, 1, kChargeTextMax) &&
                         NonNull(text, new_total, limit));
}

}  // extern "C"
