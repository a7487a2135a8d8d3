#include "app/core/card_access.h"
#include "cardlib/Corvex.h"

namespace pellam {

std::int32_t CorvexCardAccess::OpenDevice() { return GenOpenDevice(nullptr, nullptr); }

std::int32_t CorvexCardAccess::CloseDevice() { return GenCloseDevice(); }

std::int32_t CorvexCardAccess::SenseCard(std::int32_t* present) { return GenSenseCard(present, kSystemCode, 1); }

std::int32_t CorvexCardAccess::GetCardType(std::int32_t* card_type) { return GenGetCardType(card_type); }

std::int32_t CorvexCardAccess::ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) {
  return GenReadAdminIdFromAdmin(admin_id, length);
}

std::int32_t CorvexCardAccess::ReadAdminIdFromUser(char* admin_id, std::int32_t* length) {
  return GenReadAdminIdFromUser(admin_id, length);
}

}  // namespace pellam
