#include "platform/clock.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(Clock, TheLocalDateAndTimeAgreeWithTheCLibrary) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::time_t now = std::time(nullptr);
    const std::tm expected = *std::localtime(&now);
    const platform::LocalDateTime got = platform::CurrentLocalDateTime();
    if (got.minute != expected.tm_min) continue;  // a minute passed in between
    EXPECT_EQ(got.year, expected.tm_year + 1900);
    EXPECT_EQ(got.month, expected.tm_mon + 1);
    EXPECT_EQ(got.day, expected.tm_mday);
    EXPECT_EQ(got.hour, expected.tm_hour);
    return;
  }
  FAIL() << "the minute kept changing";
}

}  // namespace
