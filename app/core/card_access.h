// The card-library calls the program's windows make, behind an interface so
// that the dialog logic can be driven by a scripted card in tests. Every call
// answers a card-library status code: 0 is success, anything else failure.
// Lengths beside an out-buffer are in/out: the capacity in, the length out.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace pellam {

class CardAccess {
 public:
  virtual ~CardAccess() = default;
  // Finds the reader by itself and opens it.
  virtual std::int32_t OpenDevice() = 0;
  virtual std::int32_t CloseDevice() = 0;
  // Looks for a card answering the system code 81 65; `*present` is 1 then.
  virtual std::int32_t SenseCard(std::int32_t* present) = 0;
  virtual std::int32_t GetCardType(std::int32_t* card_type) = 0;
  // The sensed card's 8-byte identifier (capacity 8 in, 8 out).
  virtual std::int32_t GetCardInfo(std::uint8_t* card_id, std::int32_t* card_id_length) = 0;
  virtual std::int32_t SetAllKey() = 0;

  virtual std::int32_t ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) = 0;
  virtual std::int32_t ReadAdminIdFromUser(char* admin_id, std::int32_t* length) = 0;
  virtual std::int32_t ReadUserAccount(char* user_id, std::int32_t* user_id_length, char* password,
                                       std::int32_t* password_length) = 0;
  virtual std::int32_t ReadUserName(char* name, std::int32_t* length) = 0;
  virtual std::int32_t ReadCommentFromUser(char* comment, std::int32_t* length) = 0;
  virtual std::int32_t ReadIssueInfo(std::int32_t* count, std::int32_t* year, std::int32_t* month,
                                     std::int32_t* day) = 0;
  virtual std::int32_t ReadUserCode(std::uint8_t* code, std::int32_t* length) = 0;
  // PIN present, PIN check, retry limit, retry count, PIN and its length.
  virtual std::int32_t ReadPinSettings(std::int32_t* pin_present, std::int32_t* pin_check, std::int32_t* retry_limit,
                                       std::int32_t* retry_count, char* pin, std::int32_t* pin_length) = 0;

  virtual std::int32_t WriteUserAccount(const char* user_id, std::int32_t user_id_length, const char* password,
                                        std::int32_t password_length) = 0;
  virtual std::int32_t WriteAdminIdToUser(const char* admin_id, std::int32_t length) = 0;
  virtual std::int32_t WriteRetryLimit(std::int32_t retry_limit) = 0;
  virtual std::int32_t WritePin(const char* pin, std::int32_t length) = 0;
  virtual std::int32_t WriteUserName(const char* name, std::int32_t length) = 0;
  virtual std::int32_t WriteCommentToUser(const char* comment, std::int32_t length) = 0;
  virtual std::int32_t WriteUserCode(const std::uint8_t* code, std::int32_t length) = 0;
  virtual std::int32_t WriteIssueInfo(std::int32_t count, std::int32_t year, std::int32_t month, std::int32_t day) = 0;
  virtual std::int32_t InitializeCard() = 0;
  virtual std::int32_t ResetRetryCounter() = 0;
};

// The system code of the cards the program works with.
inline constexpr std::uint8_t kSystemCode[2] = {0x81, 0x65};

// The real card library. The reader is found as the program finds it, or on
// the port given (a COM name or an absolute device path).
class CorvexCardAccess final : public CardAccess {
 public:
  CorvexCardAccess() = default;
  explicit CorvexCardAccess(std::string port) : port_(std::move(port)) {}

  std::int32_t OpenDevice() override;
  std::int32_t CloseDevice() override;
  std::int32_t SenseCard(std::int32_t* present) override;
  std::int32_t GetCardType(std::int32_t* card_type) override;
  std::int32_t GetCardInfo(std::uint8_t* card_id, std::int32_t* card_id_length) override;
  std::int32_t SetAllKey() override;
  std::int32_t ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) override;
  std::int32_t ReadAdminIdFromUser(char* admin_id, std::int32_t* length) override;
  std::int32_t ReadUserAccount(char* user_id, std::int32_t* user_id_length, char* password,
                               std::int32_t* password_length) override;
  std::int32_t ReadUserName(char* name, std::int32_t* length) override;
  std::int32_t ReadCommentFromUser(char* comment, std::int32_t* length) override;
  std::int32_t ReadIssueInfo(std::int32_t* count, std::int32_t* year, std::int32_t* month, std::int32_t* day) override;
  std::int32_t ReadUserCode(std::uint8_t* code, std::int32_t* length) override;
  std::int32_t ReadPinSettings(std::int32_t* pin_present, std::int32_t* pin_check, std::int32_t* retry_limit,
                               std::int32_t* retry_count, char* pin, std::int32_t* pin_length) override;
  std::int32_t WriteUserAccount(const char* user_id, std::int32_t user_id_length, const char* password,
                                std::int32_t password_length) override;
  std::int32_t WriteAdminIdToUser(const char* admin_id, std::int32_t length) override;
  std::int32_t WriteRetryLimit(std::int32_t retry_limit) override;
  std::int32_t WritePin(const char* pin, std::int32_t length) override;
  std::int32_t WriteUserName(const char* name, std::int32_t length) override;
  std::int32_t WriteCommentToUser(const char* comment, std::int32_t length) override;
  std::int32_t WriteUserCode(const std::uint8_t* code, std::int32_t length) override;
  std::int32_t WriteIssueInfo(std::int32_t count, std::int32_t year, std::int32_t month, std::int32_t day) override;
  std::int32_t InitializeCard() override;
  std::int32_t ResetRetryCounter() override;

 private:
  std::string port_;
};

}  // namespace pellam
