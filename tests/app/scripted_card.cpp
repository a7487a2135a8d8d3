#include "tests/app/scripted_card.h"

#include <algorithm>

namespace app_test {

std::int32_t ScriptedCard::OpenDevice() {
  calls.push_back("open");
  if (open_fails) return kFailure;
  if (open) return 0x100;  // already open
  open = true;
  return 0;
}

std::int32_t ScriptedCard::CloseDevice() {
  calls.push_back("close");
  if (!open) return 0x200;
  open = false;
  return close_fails ? kFailure : 0;
}

std::int32_t ScriptedCard::SenseCard(std::int32_t* present) {
  calls.push_back("sense");
  if (!open) return 0x200;
  if (sense_fails) return kFailure;
  *present = card_type == kNoCard ? 0 : 1;
  return 0;
}

std::int32_t ScriptedCard::GetCardType(std::int32_t* type) {
  calls.push_back("type");
  if (!open) return 0x200;
  if (type_fails || card_type == kNoCard) return kFailure;
  *type = card_type;
  return 0;
}

std::int32_t ScriptedCard::ReadAdminIdFromAdmin(char* out, std::int32_t* length) {
  calls.push_back("read-admin-id");
  if (!open) return 0x200;
  if (admin_reads_failing > 0) {
    --admin_reads_failing;
    return kFailure;
  }
  if (card_type != 16 || *length < static_cast<std::int32_t>(admin_id.size())) return kFailure;
  std::copy(admin_id.begin(), admin_id.end(), out);
  *length = static_cast<std::int32_t>(admin_id.size());
  return 0;
}

std::int32_t ScriptedCard::ReadAdminIdFromUser(char* out, std::int32_t* length) {
  calls.push_back("read-user-admin-id");
  if (!open) return 0x200;
  if (card_type != 1 || *length < static_cast<std::int32_t>(admin_id.size())) return kFailure;
  std::copy(admin_id.begin(), admin_id.end(), out);
  *length = static_cast<std::int32_t>(admin_id.size());
  return 0;
}

}  // namespace app_test
