#include <windows.h>

#include "platform/clock.h"

namespace platform {

LocalDateTime CurrentLocalDateTime() {
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace platform
