// The card-library calls the program's windows make, behind an interface so
// that the dialog logic can be driven by a scripted card in tests. Every call
// answers a card-library status code: 0 is success, anything else failure.
#pragma once

#include <cstdint>

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
  // In/out length: the buffer's capacity in, the ID's length out.
  virtual std::int32_t ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) = 0;
  virtual std::int32_t ReadAdminIdFromUser(char* admin_id, std::int32_t* length) = 0;
};

// The system code of the cards the program works with.
inline constexpr std::uint8_t kSystemCode[2] = {0x81, 0x65};

// The real card library.
class CorvexCardAccess final : public CardAccess {
 public:
  std::int32_t OpenDevice() override;
  std::int32_t CloseDevice() override;
  std::int32_t SenseCard(std::int32_t* present) override;
  std::int32_t GetCardType(std::int32_t* card_type) override;
  std::int32_t ReadAdminIdFromAdmin(char* admin_id, std::int32_t* length) override;
  std::int32_t ReadAdminIdFromUser(char* admin_id, std::int32_t* length) override;
};

}  // namespace pellam
