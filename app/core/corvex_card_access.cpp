#include "app/core/card_access.h"
#include "cardlib/Corvex.h"

namespace pellam {

std::int32_t CorvexCardAccess::OpenDevice() { return GenOpenDevice(nullptr, port_.empty() ? nullptr : port_.c_str()); }

std::int32_t CorvexCardAccess::CloseDevice() { return GenCloseDevice(); }

std::int32_t CorvexCardAccess::SenseCard(std::int32_t* present) { return GenSenseCard(present, kSystemCode, 1); }

std::int32_t CorvexCardAccess::GetCardType(std::int32_t* card_type) { return GenGetCardType(card_type); }

std::int32_t CorvexCardAccess::GetCardInfo(std::uint8_t* card_id, std::int32_t* card_id_length) {
  std::uint8_t parameters[8] = {};
  std::int32_t parameters_length = sizeof parameters;
  return GenGetCardInfo(card_id, card_id_length, parameters, &parameters_length);
}

std::int32_t CorvexCardAccess::SetAllKey() { return GenSetAllKey(); }

std::int32_t CorvexCardAccess::ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) {
  return GenReadAdminIdFromAdmin(admin_id, length);
}

std::int32_t CorvexCardAccess::ReadAdminIdFromUser(char* admin_id, std::int32_t* length) {
  return GenReadAdminIdFromUser(admin_id, length);
}

std::int32_t CorvexCardAccess::ReadUserAccount(char* user_id, std::int32_t* user_id_length, char* password,
                                               std::int32_t* password_length) {
  return GenReadUserAccount(user_id, user_id_length, password, password_length);
}

std::int32_t CorvexCardAccess::ReadUserName(char* name, std::int32_t* length) { return GenReadUserName(name, length); }

std::int32_t CorvexCardAccess::ReadCommentFromUser(char* comment, std::int32_t* length) {
  return GenReadCommentFromUser(comment, length);
}

std::int32_t CorvexCardAccess::ReadIssueInfo(std::int32_t* count, std::int32_t* year, std::int32_t* month,
                                             std::int32_t* day) {
  return GenReadIssueInfo(count, year, month, day);
}

std::int32_t CorvexCardAccess::ReadUserCode(std::uint8_t* code, std::int32_t* length) {
  return GenReadUserCode(code, length);
}

std::int32_t CorvexCardAccess::ReadPinSettings(std::int32_t* pin_present, std::int32_t* pin_check,
                                               std::int32_t* retry_limit, std::int32_t* retry_count, char* pin,
                                               std::int32_t* pin_length) {
  return GenReadPINSettings(pin_present, pin_check, retry_limit, retry_count, pin, pin_length);
}

std::int32_t CorvexCardAccess::WriteUserAccount(const char* user_id, std::int32_t user_id_length, const char* password,
                                                std::int32_t password_length) {
  return GenWriteUserAccount(user_id, user_id_length, password, password_length);
}

std::int32_t CorvexCardAccess::WriteAdminIdToUser(const char* admin_id, std::int32_t length) {
  return GenWriteAdminIdToUser(admin_id, length);
}

std::int32_t CorvexCardAccess::WriteRetryLimit(std::int32_t retry_limit) { return GenWriteRetryLimit(retry_limit); }

std::int32_t CorvexCardAccess::WritePin(const char* pin, std::int32_t length) { return GenWritePIN(pin, length); }

std::int32_t CorvexCardAccess::WriteUserName(const char* name, std::int32_t length) {
  return GenWriteUserName(name, length);
}

std::int32_t CorvexCardAccess::WriteCommentToUser(const char* comment, std::int32_t length) {
  return GenWriteCommentToUser(comment, length);
}

std::int32_t CorvexCardAccess::WriteUserCode(const std::uint8_t* code, std::int32_t length) {
  return GenWriteUserCode(code, length);
}

std::int32_t CorvexCardAccess::WriteIssueInfo(std::int32_t count, std::int32_t year, std::int32_t month,
                                              std::int32_t day) {
  return GenWriteIssueInfo(count, year, month, day);
}

std::int32_t CorvexCardAccess::InitializeCard() { return GenInitializeCard(); }

std::int32_t CorvexCardAccess::ResetRetryCounter() { return GenResetRetryCounter(); }

}  // namespace pellam
