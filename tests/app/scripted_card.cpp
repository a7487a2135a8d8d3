#include "tests/app/scripted_card.h"

#include <algorithm>
#include <cstring>

namespace app_test {

namespace {

// Copies a text into an in/out buffer: too small a buffer fails.
std::int32_t ReadText(const std::string& text, char* out, std::int32_t* length) {
  if (*length < static_cast<std::int32_t>(text.size())) return ScriptedCard::kFailure;
  std::copy(text.begin(), text.end(), out);
  *length = static_cast<std::int32_t>(text.size());
  return 0;
}

}  // namespace

std::int32_t ScriptedCard::Enter(const char* name) {
  calls.push_back(name);
  if (!open) return 0x200;
  if (failing.count(name) != 0) return kFailure;
  return 0;
}

std::int32_t ScriptedCard::OpenDevice() {
  calls.push_back("open");
  if (failing.count("open") != 0) return kFailure;
  if (open) return 0x100;  // already open
  open = true;
  return 0;
}

std::int32_t ScriptedCard::CloseDevice() {
  calls.push_back("close");
  if (!open) return 0x200;
  open = false;
  return failing.count("close") != 0 ? kFailure : 0;
}

std::int32_t ScriptedCard::SenseCard(std::int32_t* present) {
  if (const std::int32_t status = Enter("sense")) return status;
  *present = card_type == kNoCard ? 0 : 1;
  return 0;
}

std::int32_t ScriptedCard::GetCardType(std::int32_t* type) {
  if (const std::int32_t status = Enter("type")) return status;
  if (card_type == kNoCard) return kFailure;
  *type = card_type;
  return 0;
}

std::int32_t ScriptedCard::GetCardInfo(std::uint8_t* id, std::int32_t* length) {
  if (const std::int32_t status = Enter("card-info")) return status;
  if (card_type == kNoCard || *length < 8) return kFailure;
  std::copy(card_id.begin(), card_id.end(), id);
  *length = 8;
  return 0;
}

std::int32_t ScriptedCard::SetAllKey() { return Enter("set-all-key"); }

std::int32_t ScriptedCard::ReadAdminIdFromAdmin(char* out, std::int32_t* length) {
  if (const std::int32_t status = Enter("read-admin-id")) return status;
  if (card_type != 16) return kFailure;
  return ReadText(admin_id, out, length);
}

std::int32_t ScriptedCard::ReadAdminIdFromUser(char* out, std::int32_t* length) {
  if (const std::int32_t status = Enter("read-user-admin-id")) return status;
  if (card_type != 1) return kFailure;
  return ReadText(admin_id, out, length);
}

std::int32_t ScriptedCard::ReadUserAccount(char* id, std::int32_t* id_length, char* word, std::int32_t* word_length) {
  if (const std::int32_t status = Enter("read-user-account")) return status;
  if (const std::int32_t status = ReadText(user_id, id, id_length)) return status;
  return ReadText(password, word, word_length);
}

std::int32_t ScriptedCard::ReadUserName(char* name, std::int32_t* length) {
  if (const std::int32_t status = Enter("read-user-name")) return status;
  return ReadText(user_name, name, length);
}

std::int32_t ScriptedCard::ReadCommentFromUser(char* text, std::int32_t* length) {
  if (const std::int32_t status = Enter("read-comment")) return status;
  return ReadText(comment, text, length);
}

std::int32_t ScriptedCard::ReadIssueInfo(std::int32_t* count, std::int32_t* year, std::int32_t* month,
                                         std::int32_t* day) {
  if (const std::int32_t status = Enter("read-issue-info")) return status;
  *count = issue_info[0];
  *year = issue_info[1];
  *month = issue_info[2];
  *day = issue_info[3];
  return 0;
}

std::int32_t ScriptedCard::ReadUserCode(std::uint8_t* code, std::int32_t* length) {
  if (const std::int32_t status = Enter("read-user-code")) return status;
  if (*length < 4) return kFailure;
  std::copy(user_code.begin(), user_code.end(), code);
  *length = 4;
  return 0;
}

std::int32_t ScriptedCard::ReadPinSettings(std::int32_t* pin_present, std::int32_t* pin_check, std::int32_t* limit,
                                           std::int32_t* count, char* out, std::int32_t* pin_length) {
  if (const std::int32_t status = Enter("read-pin-settings")) return status;
  *pin_present = pin.empty() ? 0 : 1;
  *pin_check = 1;
  *limit = retry_limit;
  *count = retry_count;
  return ReadText(pin, out, pin_length);
}

std::int32_t ScriptedCard::WriteUserAccount(const char* id, std::int32_t id_length, const char* word,
                                            std::int32_t word_length) {
  if (const std::int32_t status = Enter("write-user-account")) return status;
  user_id.assign(id, static_cast<std::size_t>(id_length));
  password.assign(word, static_cast<std::size_t>(word_length));
  if (card_type == 0) card_type = 1;
  return 0;
}

std::int32_t ScriptedCard::WriteAdminIdToUser(const char* id, std::int32_t length) {
  return Store("write-admin-id", admin_id, std::string(id, static_cast<std::size_t>(length)));
}

std::int32_t ScriptedCard::WriteRetryLimit(std::int32_t limit) {
  return Store("write-retry-limit", retry_limit, limit);
}

std::int32_t ScriptedCard::WritePin(const char* text, std::int32_t length) {
  return Store("write-pin", pin, std::string(text, static_cast<std::size_t>(length)));
}

std::int32_t ScriptedCard::WriteUserName(const char* name, std::int32_t length) {
  return Store("write-user-name", user_name, std::string(name, static_cast<std::size_t>(length)));
}

std::int32_t ScriptedCard::WriteCommentToUser(const char* text, std::int32_t length) {
  return Store("write-comment", comment, std::string(text, static_cast<std::size_t>(length)));
}

std::int32_t ScriptedCard::WriteUserCode(const std::uint8_t* code, std::int32_t length) {
  if (const std::int32_t status = Enter("write-user-code")) return status;
  if (length != 4) return kFailure;
  std::copy(code, code + 4, user_code.begin());
  if (card_type == 0) card_type = 256;
  return 0;
}

std::int32_t ScriptedCard::WriteIssueInfo(std::int32_t count, std::int32_t year, std::int32_t month, std::int32_t day) {
  return Store("write-issue-info", issue_info, {count, year, month, day});
}

std::int32_t ScriptedCard::InitializeCard() {
  if (const std::int32_t status = Enter("initialize")) return status;
  PlaceBlank(card_id[7]);
  return 0;
}

std::int32_t ScriptedCard::ResetRetryCounter() { return Store("reset-retry", retry_count, 0); }

void ScriptedCard::PlaceBlank(std::uint8_t id) {
  card_type = 0;
  card_id = {0x01, 0x2E, 0, 0, 0, 0, 0, id};
  for (std::string* text : {&admin_id, &user_id, &password, &user_name, &comment, &pin}) text->clear();
  user_code = {};
  issue_info = {};
  retry_limit = 0;
  retry_count = 0;
}

void ScriptedCard::PlaceUser(std::uint8_t id, const std::string& user, const std::string& admin) {
  PlaceBlank(id);
  card_type = 1;
  user_id = user;
  admin_id = admin;
  password = "secret";
}

std::vector<std::string> ScriptedCard::CardWork() const {
  std::vector<std::string> work;
  for (const std::string& call : calls) {
    if (call.rfind("read-", 0) == 0 || call.rfind("write-", 0) == 0 || call == "initialize" || call == "reset-retry") {
      work.push_back(call);
    }
  }
  return work;
}

}  // namespace app_test
