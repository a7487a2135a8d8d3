// Numbers, lines and look-ups of the user-ID list: ChangeYMDForOutput,
// MakeIDRecord, SearchIDRecord.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "idlist/Tallix.h"
#include "platform/clock.h"

namespace {

constexpr char kUntouched = '#';

std::string Format(int32_t value, int32_t* result = nullptr) {
  char digits[TALLIX_NUMBER_DIGITS + 3];
  std::memset(digits, kUntouched, sizeof digits);
  int32_t count = -7;
  const int32_t code = ChangeYMDForOutput(value, digits, &count);
  if (result != nullptr) *result = code;
  EXPECT_EQ(digits[TALLIX_NUMBER_DIGITS], kUntouched) << "wrote past five digits for " << value;
  if (code != 0) {
    EXPECT_EQ(count, -7);
    EXPECT_EQ(digits[0], kUntouched);
    return "refused";
  }
  return std::string(digits, static_cast<std::size_t>(count));
}

TEST(NumberFormat, DecimalWithoutSignOrLeadingZerosUpToFiveDigits) {
  EXPECT_EQ(Format(0), "0");
  EXPECT_EQ(Format(7), "7");
  EXPECT_EQ(Format(10), "10");
  EXPECT_EQ(Format(2024), "2024");
  EXPECT_EQ(Format(32767), "32767");
  EXPECT_EQ(Format(99999), "99999");
}

TEST(NumberFormat, NegativeAndSixDigitValuesAreRefusedWithNothingWritten) {
  for (int32_t value : {-1, -2147483647 - 1, 100000, 2147483647}) {
    int32_t code = 0;
    EXPECT_EQ(Format(value, &code), "refused") << value;
    EXPECT_EQ(code, TALLIX_NUMBER_REFUSED) << value;
  }
}

// A line made into a buffer of exactly one row, followed by a guard.
struct Made {
  int32_t code;
  std::string line;
  int32_t length;
  bool guard_intact;
};

Made MakeLine(const std::string& id, int32_t year, int32_t month, int32_t day, int32_t count) {
  std::vector<char> buffer(TALLIX_ROW_SIZE + 64, kUntouched);
  int32_t length = -7;
  Made made{MakeIDRecord(id.data(), static_cast<int32_t>(id.size()), year, month, day, count, buffer.data(), &length),
            "", length, true};
  for (std::size_t i = TALLIX_ROW_SIZE; i < buffer.size(); ++i) made.guard_intact &= buffer[i] == kUntouched;
  if (made.code == 0) {
    made.line.assign(buffer.data(), static_cast<std::size_t>(length));
  } else {
    made.line = buffer[0] == kUntouched ? "untouched" : "written";
  }
  return made;
}

TEST(IdLine, FieldsJoinedByCommasEndingWithOneLf) {
  const Made made = MakeLine("abc", 2024, 5, 3, 1);
  EXPECT_EQ(made.code, 0);
  EXPECT_EQ(made.line, "abc,2024,5,3,1\n");
  EXPECT_EQ(made.length, 15);
}

TEST(IdLine, OnlyAnIdWithACommaIsQuotedAndThenItsQuotesAreDoubled) {
  EXPECT_EQ(MakeLine("a,\"b\"", 2024, 12, 31, 2).line, "\"a,\"\"b\"\"\",2024,12,31,2\n");
  EXPECT_EQ(MakeLine(",", 1, 1, 1, 0).line, "\",\",1,1,1,0\n");
  EXPECT_EQ(MakeLine("\"quoted\"", 2024, 1, 2, 3).line, "\"quoted\",2024,1,2,3\n");
  EXPECT_EQ(MakeLine("", 0, 0, 0, 0).line, ",0,0,0,0\n");
  // Bytes above 0x7F and a CR are bytes like any other.
  EXPECT_EQ(MakeLine("\xE3\x81\x82\r", 2024, 5, 3, 1).line, "\xE3\x81\x82\r,2024,5,3,1\n");
}

TEST(IdLine, RefusesNumbersOutsideTheFormatAndLinesThatCannotBeStored) {
  for (const Made& made : {MakeLine("abc", -1, 5, 3, 1), MakeLine("abc", 2024, 5, 3, 100000),
                           MakeLine("a\nb", 2024, 5, 3, 1), MakeLine("a\x1A", 2024, 5, 3, 1)}) {
    EXPECT_EQ(made.code, TALLIX_NUMBER_REFUSED);
    EXPECT_EQ(made.line, "untouched");
    EXPECT_EQ(made.length, -7);
  }
}

TEST(IdLine, TheLongestLineFillsOneRowExactly) {
  // 511 bytes before the LF: an ID of 511 - 12 bytes with ",2024,5,3,1".
  const std::string fits(511 - 11, 'u');
  const Made longest = MakeLine(fits, 2024, 5, 3, 1);
  EXPECT_EQ(longest.code, 0);
  EXPECT_EQ(longest.length, TALLIX_ROW_SIZE);
  EXPECT_TRUE(longest.guard_intact);

  const Made too_long = MakeLine(fits + "u", 2024, 5, 3, 1);
  EXPECT_EQ(too_long.code, TALLIX_NUMBER_REFUSED);
  EXPECT_TRUE(too_long.guard_intact);
  // Quoting doubles every quote: 300 quotes and a comma need 603 bytes.
  const Made quoted = MakeLine(std::string(300, '"') + ",", 1, 1, 1, 1);
  EXPECT_EQ(quoted.code, TALLIX_NUMBER_REFUSED);
  EXPECT_TRUE(quoted.guard_intact);
}

// A table made of rows, as ReadIDFileAll leaves it.
std::vector<char> Table(const std::vector<std::string>& lines) {
  std::vector<char> rows(TALLIX_ROW_SIZE * (lines.size() + 1), '\0');
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::memcpy(rows.data() + i * TALLIX_ROW_SIZE, lines[i].data(), std::min<std::size_t>(lines[i].size(), 512));
  }
  return rows;
}

struct Found {
  int32_t index, year, month, day, count;
};

Found Search(const std::vector<char>& rows, int32_t row_count, const char* id) {
  Found found{-9, -9, -9, -9, -9};
  EXPECT_EQ(
      SearchIDRecord(rows.data(), row_count, id, 0, &found.index, &found.year, &found.month, &found.day, &found.count),
      0);
  return found;
}

TEST(IdSearch, AnUnlistedIdGetsIndexMinusOneTodayAndCountOne) {
  const std::vector<char> rows = Table({"abc,2020,1,2,3\n"});
  for (int attempt = 0; attempt < 3; ++attempt) {
    const platform::LocalDateTime before = platform::CurrentLocalDateTime();
    const Found found = Search(rows, 1, "abd");
    const platform::LocalDateTime after = platform::CurrentLocalDateTime();
    if (before.day != after.day) continue;  // midnight passed during the call
    EXPECT_EQ(found.index, -1);
    EXPECT_EQ(found.year, after.year);
    EXPECT_EQ(found.month, after.month);
    EXPECT_EQ(found.day, after.day);
    EXPECT_EQ(found.count, 1);
    EXPECT_EQ(Search(rows, 0, "abc").index, -1);
    EXPECT_EQ(Search(rows, -3, "abc").index, -1);
    return;
  }
  FAIL() << "the date kept changing";
}

TEST(IdSearch, FindsTheFirstExactMatchAndReadsItsNumbers) {
  const std::vector<char> rows = Table({"ABC,2001,2,3,4\n", "abc,2024,5,3,1\n", "abc,1999,9,9,9\n", "ab,7,7,7,7\n"});
  const Found found = Search(rows, 4, "abc");
  EXPECT_EQ(found.index, 1);
  EXPECT_EQ(found.year, 2024);
  EXPECT_EQ(found.month, 5);
  EXPECT_EQ(found.day, 3);
  EXPECT_EQ(found.count, 1);
  EXPECT_EQ(Search(rows, 4, "ABC").index, 0);
  EXPECT_EQ(Search(rows, 4, "ab").index, 3);
  EXPECT_EQ(Search(rows, 4, "a").index, -1);
  // Rows beyond the row count are not looked at.
  EXPECT_EQ(Search(rows, 3, "ab").index, -1);
}

TEST(IdSearch, QuotedIdsAreDecodedOnlyWithMoreThanFourCommas) {
  const std::vector<char> rows = Table({
      "\"a,\"\"b\"\"\",2024,12,31,2\n",  // a,"b"
      "\"x,2024,1,2,3\n",                // "x: four commas, so not the quoted form
      "\"open,1,2,3,4\n",                // likewise
      "\"no end,1,2,3,4,5\n",            // quoted form without its closing quote
  });
  Found found = Search(rows, 4, "a,\"b\"");
  EXPECT_EQ(found.index, 0);
  EXPECT_EQ(found.year, 2024);
  EXPECT_EQ(found.month, 12);
  EXPECT_EQ(found.day, 31);
  EXPECT_EQ(found.count, 2);
  EXPECT_EQ(Search(rows, 4, "\"x").index, 1);
  EXPECT_EQ(Search(rows, 4, "\"open").index, 2);
  found = Search(rows, 4, "no end,1,2,3,4,5");
  EXPECT_EQ(found.index, 3);
  EXPECT_EQ(found.year, 0);
  EXPECT_EQ(found.count, 0);
}

TEST(IdSearch, NumbersReadLikeAtolAndMissingFieldsAreZero) {
  const std::vector<char> rows = Table({"a, 2024x,+5,-3,\n", "b,12\n", "c\n"});
  Found found = Search(rows, 3, "a");
  EXPECT_EQ(found.year, 2024);
  EXPECT_EQ(found.month, 5);
  EXPECT_EQ(found.day, -3);
  EXPECT_EQ(found.count, 0);
  found = Search(rows, 3, "b");
  EXPECT_EQ(found.year, 12);
  EXPECT_EQ(found.month, 0);
  EXPECT_EQ(Search(rows, 3, "c").index, 2);
}

TEST(IdSearch, ARowWithoutLineEndIsReadOnlyToItsEnd) {
  // 512 bytes of one ID and no LF; under AddressSanitizer a read past the
  // table (exactly one row here) would stop the test.
  std::vector<char> rows(TALLIX_ROW_SIZE, 'z');
  rows[100] = ',';
  const std::string id(100, 'z');
  Found found{};
  EXPECT_EQ(
      SearchIDRecord(rows.data(), 1, id.c_str(), 0, &found.index, &found.year, &found.month, &found.day, &found.count),
      0);
  EXPECT_EQ(found.index, 0);
  EXPECT_EQ(found.year, 0);
}

}  // namespace
