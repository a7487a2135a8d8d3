#include <windows.h>

#include "platform/locale.h"

namespace platform {

std::uint32_t SystemDefaultLocaleId() { return static_cast<std::uint32_t>(::GetSystemDefaultLCID()); }

}  // namespace platform
