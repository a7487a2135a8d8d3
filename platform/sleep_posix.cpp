#include <time.h>

#include <cerrno>

#include "platform/sleep.h"

namespace platform {

void SleepMilliseconds(std::uint32_t milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts nanosleep short; sleep on for whatever is left.
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
