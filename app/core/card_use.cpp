#include "app/core/card_use.h"

#include <cstring>

#include "platform/registry.h"

namespace pellam {

std::uint32_t ReadCardUse() {
  const auto value = platform::ReadRegistryValue(platform::RegistryRoot::LocalMachine, kCardUseKey, kCardUseValue,
                                                 platform::RegistryAccess::Full);
  // Read as a 4-byte value: one of any other length cannot be read as such.
  if (!value || value->data.size() != 4) return 0;
  std::uint32_t stored = 0;
  std::memcpy(&stored, value->data.data(), sizeof stored);  // least significant byte first, as stored
  return stored > 1 ? 0 : stored;
}

bool WriteCardUse(std::uint32_t card_use) {
  return platform::WriteRegistryDword(platform::RegistryRoot::LocalMachine, kCardUseKey, kCardUseValue, card_use);
}

}  // namespace pellam
