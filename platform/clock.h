// The local date and time, as the user's clock shows them.
#pragma once

namespace platform {

struct LocalDateTime {
  int year;        // in full, e.g. 2024
  int month;       // 1-12
  int day;         // 1-31
  int hour;        // 0-23
  int minute;      // 0-59
  int second = 0;  // 0-59 (60 in a leap second)
};

// Read once; all fields belong to the same moment.
LocalDateTime CurrentLocalDateTime();

}  // namespace platform
