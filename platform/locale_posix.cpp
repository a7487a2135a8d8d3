#include <cstdlib>

#include "platform/locale.h"

namespace platform {

std::uint32_t SystemDefaultLocaleId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return LocaleIdFromName(value);
  }
  return kLocaleEnglishUs;
}

}  // namespace platform
