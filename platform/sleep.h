// Pausing the calling thread.
#pragma once

#include <cstdint>

namespace platform {

// Blocks the calling thread for at least `milliseconds` (0 returns at once).
void SleepMilliseconds(std::uint32_t milliseconds);

}  // namespace platform
