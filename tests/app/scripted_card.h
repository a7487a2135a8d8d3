// A card reader the test scripts: the card that lies on it (its kind,
// identifier and fields), and which calls fail. Every call is recorded by
// name; writes change the card's fields, so a test reads the result back.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/core/card_access.h"

namespace app_test {

class ScriptedCard : public pellam::CardAccess {
 public:
  static constexpr std::int32_t kFailure = 0x7F000000;
  static constexpr std::int32_t kNoCard = -1;

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

  // Lays a blank card with identifier `id` on the reader.
  void PlaceBlank(std::uint8_t id);
  // Lays a user-ID card (issued under `admin`) with identifier `id`.
  void PlaceUser(std::uint8_t id, const std::string& user, const std::string& admin = "ADMIN01");
  // The calls recorded so far whose names begin with "read-" or "write-",
  // and "initialize"/"reset-retry", in order.
  std::vector<std::string> CardWork() const;

  // The card on the reader: a card-library type (0, 1, 16, 256) or kNoCard.
  std::int32_t card_type = kNoCard;
  std::array<std::uint8_t, 8> card_id{};
  std::string admin_id = "ADMIN01";
  std::string user_id, password, user_name, comment, pin;
  std::array<std::uint8_t, 4> user_code{};
  std::array<std::int32_t, 4> issue_info{};  // count, year, month, day
  std::int32_t retry_limit = 0;
  std::int32_t retry_count = 0;

  // Calls (by recorded name: "open", "sense", "type", "close", ...) that
  // fail while named here.
  std::set<std::string> failing;

  bool open = false;
  std::vector<std::string> calls;

 private:
  // Records the call; the status it answers before doing its work.
  std::int32_t Enter(const char* name);
  // A write: the call entered, then the field replaced.
  template <typename Field>
  std::int32_t Store(const char* call, Field& field, const Field& value) {
    if (const std::int32_t status = Enter(call)) return status;
    field = value;
    return 0;
  }
};

}  // namespace app_test
