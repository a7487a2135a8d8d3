#include "cardlib/system_port.h"

#include <chrono>

#include "platform/sleep.h"

namespace corvex {

void SystemPort::Pause(std::uint32_t milliseconds) { platform::SleepMilliseconds(milliseconds); }

std::uint64_t SystemPort::Now() {
  const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count());
}

}  // namespace corvex
