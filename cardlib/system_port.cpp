#include "cardlib/system_port.h"

#include "platform/sleep.h"

namespace corvex {

void SystemPort::Pause(std::uint32_t milliseconds) { platform::SleepMilliseconds(milliseconds); }

}  // namespace corvex
