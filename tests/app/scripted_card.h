// A card reader the test scripts: which card lies on it, and which calls
// fail. Every call is recorded by name.
#pragma once

#include <cstdint>
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
  std::int32_t ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) override;
  std::int32_t ReadAdminIdFromUser(char* admin_id, std::int32_t* length) override;

  // The card on the reader: a card-library type (0, 1, 16, 256) or kNoCard.
  std::int32_t card_type = kNoCard;
  std::string admin_id = "ADMIN01";
  bool open_fails = false;
  bool sense_fails = false;
  bool type_fails = false;
  int admin_reads_failing = 0;  // the next reads that fail
  bool close_fails = false;

  bool open = false;
  std::vector<std::string> calls;
};

}  // namespace app_test
