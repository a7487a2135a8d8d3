#include <windows.h>

#include "platform/sleep.h"

namespace platform {

void SleepMilliseconds(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
