// Making log lines: MakeLogRecord and the line builder behind it.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "oplog/Jornet.h"
#include "oplog/log_line.h"
#include "platform/clock.h"

namespace {

constexpr platform::LocalDateTime kMay3At0907{2024, 5, 3, 9, 7};
constexpr char kUntouched = '#';

// A line made into a buffer of exactly the caller's size; the guard bytes
// after the buffer must stay untouched.
std::string Make(const platform::LocalDateTime& when, const std::string& first, const std::string& second,
                 int32_t operation) {
  std::vector<char> buffer(JORNET_LINE_SIZE + 32, kUntouched);
  const std::size_t length = jornet::MakeLogLine(when, first, second, operation, buffer.data());
  EXPECT_TRUE(std::all_of(buffer.begin() + JORNET_LINE_SIZE, buffer.end(), [](char b) { return b == kUntouched; }));
  return std::string(buffer.data(), length);
}

// (Each operation's own name the program's dialog tests find in the log.)
TEST(LogLine, DateTimeTextsAndOperationNameJoinedByCommasAndNoActionForOtherCodes) {
  EXPECT_EQ(Make(kMay3At0907, "abc", "xyz", JORNET_OP_ISSUE), "2024,5,3,9,7,abc,xyz,issue new card\n");
  EXPECT_EQ(Make({2025, 12, 31, 0, 0}, "", "admin", JORNET_OP_INIT_CODE),
            "2025,12,31,0,0,,admin,initialize card (L)\n");
  for (const int32_t code : {0, 4, 5, 0x300, -1}) {
    EXPECT_EQ(Make(kMay3At0907, "u", "a", code), "2024,5,3,9,7,u,a,no action\n") << code;
  }
}

TEST(LogLine, ControlBytesInTextsBecomeQuestionMarksAndCommasStay) {
  const std::string first("a\nb\r\0c\x1F\x7F\x1A", 9);
  EXPECT_EQ(Make(kMay3At0907, first, "x,y\t", JORNET_OP_UNLOCK_PIN), "2024,5,3,9,7,a?b??c???,x,y?,unlocked PIN\n");
  // Bytes of 0x80 and above are text, not control bytes.
  EXPECT_EQ(Make(kMay3At0907, "\xE3\x81\x82", "\x80\xFF", JORNET_OP_ISSUE),
            "2024,5,3,9,7,\xE3\x81\x82,\x80\xFF,issue new card\n");
}

TEST(LogLine, TheLongestLineOfTheProgramFitsAndLongerTextsAreCut) {
  // Two-digit date fields and the longest name leave 329 bytes for the texts.
  const platform::LocalDateTime late{2024, 12, 31, 23, 59};
  std::string line = Make(late, std::string(200, 'u'), std::string(129, 'a'), JORNET_OP_INIT_KEEP_ID);
  EXPECT_EQ(line, "2024,12,31,23,59," + std::string(200, 'u') + "," + std::string(129, 'a') +
                      ",initialize card (without userID delete from IDfile)\n");

  line = Make(late, std::string(300, 'u'), std::string(300, 'a'), JORNET_OP_INIT_KEEP_ID);
  EXPECT_EQ(line, "2024,12,31,23,59," + std::string(300, 'u') + "," + std::string(29, 'a') +
                      ",initialize card (without userID delete from IDfile)\n");

  line = Make(late, std::string(100000, 'u'), "", JORNET_OP_ISSUE);
  EXPECT_EQ(line.size(), 400u);
  EXPECT_EQ(line.substr(line.size() - 18), "u,,issue new card\n");
}

// The stamp is the local time as the C library gives it (read around the
// call, retried when the minute changes in between).
TEST(LogRecordExport, StampsTheLineWithTheCurrentLocalTime) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::time_t before = std::time(nullptr);
    const std::tm local = *std::localtime(&before);
    char line[JORNET_LINE_SIZE];
    int32_t length = JORNET_LINE_SIZE;
    ASSERT_EQ(MakeLogRecord("abc", 3, "xyz", 3, JORNET_OP_CHANGE_PIN, line, &length), 0);
    const std::time_t after = std::time(nullptr);
    if (std::localtime(&after)->tm_min != local.tm_min) continue;
    const platform::LocalDateTime stamp{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                        local.tm_min};
    EXPECT_EQ(std::string(line, static_cast<std::size_t>(length)), Make(stamp, "abc", "xyz", JORNET_OP_CHANGE_PIN));
    return;
  }
  FAIL() << "the minute kept changing";
}

}  // namespace
