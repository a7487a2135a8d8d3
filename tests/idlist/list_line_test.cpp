// Numbers, lines and look-ups of the user-ID list: ChangeYMDForOutput,
// MakeIDRecord, SearchIDRecord, and the exports' refusal of missing arguments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "idlist/Tallix.h"

namespace {

constexpr char kUntouched = '#';
const std::string kRefused = "refused";

// Decimal without sign or leading zeros, up to five digits, into a buffer of
// exactly five; anything else is refused with nothing written.
TEST(NumberFormat, UpToFiveDigitsAndNothingWrittenWhenRefused) {
  const struct {
    int32_t value;
    std::string digits;
  } cases[] = {
      {0, "0"},         {7, "7"},       {10, "10"},         {2024, "2024"},         {32767, "32767"},
      {99999, "99999"}, {-1, kRefused}, {100000, kRefused}, {2147483647, kRefused}, {-2147483647 - 1, kRefused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    char digits[TALLIX_NUMBER_DIGITS + 3];
    std::memset(digits, kUntouched, sizeof digits);
    int32_t count = -7;
    const int32_t code = ChangeYMDForOutput(c.value, digits, &count);
    EXPECT_EQ(digits[TALLIX_NUMBER_DIGITS], kUntouched);
    if (c.digits == kRefused) {
      EXPECT_EQ(code, TALLIX_NUMBER_REFUSED);
      EXPECT_EQ(count, -7);
      EXPECT_EQ(digits[0], kUntouched);
    } else {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(std::string(digits, static_cast<std::size_t>(count)), c.digits);
    }
  }
}

// Fields joined by commas and ending with one LF, into a buffer of exactly one
// row followed by a guard. Only an ID with a comma is quoted, and then its
// quotes are doubled; bytes above 0x7F and a CR are bytes like any other.
TEST(IdLine, MadeIntoOneRowOrRefusedUntouched) {
  const std::string longest(511 - 11, 'u');  // with ",2024,5,3,1" 511 bytes before the LF
  const struct {
    std::string id;
    int32_t year, month, day, count;
    std::string line;
  } cases[] = {
      {"abc", 2024, 5, 3, 1, "abc,2024,5,3,1\n"},
      {"a,\"b\"", 2024, 12, 31, 2, "\"a,\"\"b\"\"\",2024,12,31,2\n"},
      {",", 1, 1, 1, 0, "\",\",1,1,1,0\n"},
      {"\"quoted\"", 2024, 1, 2, 3, "\"quoted\",2024,1,2,3\n"},
      {"", 0, 0, 0, 0, ",0,0,0,0\n"},
      {"\xE3\x81\x82\r", 2024, 5, 3, 1, "\xE3\x81\x82\r,2024,5,3,1\n"},
      {longest, 2024, 5, 3, 1, longest + ",2024,5,3,1\n"},
      {"abc", -1, 5, 3, 1, kRefused},
      {"abc", 2024, 5, 3, 100000, kRefused},
      {"a\nb", 2024, 5, 3, 1, kRefused},
      {"a\x1A", 2024, 5, 3, 1, kRefused},
      {longest + "u", 2024, 5, 3, 1, kRefused},
      {std::string(600, 'u'), 2024, 5, 3, 1, kRefused},     // the ID alone overfills the row
      {std::string(300, '"') + ",", 1, 1, 1, 1, kRefused},  // quoting makes it 603 bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id.substr(0, 20));
    std::vector<char> buffer(TALLIX_ROW_SIZE + 64, kUntouched);
    int32_t length = -7;
    const int32_t code = MakeIDRecord(c.id.data(), static_cast<int32_t>(c.id.size()), c.year, c.month, c.day, c.count,
                                      buffer.data(), &length);
    EXPECT_TRUE(std::all_of(buffer.begin() + TALLIX_ROW_SIZE, buffer.end(), [](char b) { return b == kUntouched; }));
    if (c.line == kRefused) {
      EXPECT_EQ(code, TALLIX_NUMBER_REFUSED);
      EXPECT_EQ(length, -7);
      EXPECT_EQ(buffer[0], kUntouched);
    } else {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(std::string(buffer.data(), static_cast<std::size_t>(length)), c.line);
    }
  }
}

// Every pointer an export writes through or needs is checked on its own; a
// null user ID of length 0 is an empty ID.
TEST(ListExports, RefuseEachMissingArgumentAlone) {
  char line[TALLIX_ROW_SIZE];
  char digits[TALLIX_NUMBER_DIGITS];
  int32_t number = 0;
  std::vector<char> rows(TALLIX_ROW_SIZE);
  const struct {
    const char* name;
    std::function<int32_t()> call;
    int32_t expected;
  } cases[] = {
      {"MakeIDRecord, no line", [&] { return MakeIDRecord("a", 1, 1, 1, 1, 1, nullptr, &number); },
       TALLIX_NUMBER_REFUSED},
      {"MakeIDRecord, no length", [&] { return MakeIDRecord("a", 1, 1, 1, 1, 1, line, nullptr); },
       TALLIX_NUMBER_REFUSED},
      {"MakeIDRecord, negative ID length", [&] { return MakeIDRecord("a", -1, 1, 1, 1, 1, line, &number); },
       TALLIX_NUMBER_REFUSED},
      {"MakeIDRecord, no ID of length 1", [&] { return MakeIDRecord(nullptr, 1, 1, 1, 1, 1, line, &number); },
       TALLIX_NUMBER_REFUSED},
      {"ChangeYMDForOutput, no digits", [&] { return ChangeYMDForOutput(1, nullptr, &number); }, TALLIX_NUMBER_REFUSED},
      {"ChangeYMDForOutput, no count", [&] { return ChangeYMDForOutput(1, digits, nullptr); }, TALLIX_NUMBER_REFUSED},
      {"OpenIDFile, no path", [&] { return OpenIDFile(nullptr, &number); }, TALLIX_FILE_ERROR},
      {"OpenIDFile, no handle", [&] { return OpenIDFile("UserIDList.csv", nullptr); }, TALLIX_FILE_ERROR},
      {"ReadIDFileAll, no rows", [&] { return ReadIDFileAll(0, nullptr, &number); }, TALLIX_FILE_ERROR},
      {"ReadIDFileAll, no count", [&] { return ReadIDFileAll(0, rows.data(), nullptr); }, TALLIX_FILE_ERROR},
      {"WriteIDRecord, no line", [&] { return WriteIDRecord(0, 0, nullptr, 5, rows.data(), &number); },
       TALLIX_FILE_ERROR},
      {"DeleteIDRecord, no count", [&] { return DeleteIDRecord(0, 0, rows.data(), nullptr); }, TALLIX_DELETE_FAILED},
      {"MakeBackupFile, no backup", [&] { return MakeBackupFile("UserIDList.csv", nullptr); }, TALLIX_FILE_ERROR},
  };
  for (const auto& c : cases) {
    number = 1;
    EXPECT_EQ(c.call(), c.expected) << c.name;
  }
  ASSERT_EQ(MakeIDRecord(nullptr, 0, 1, 2, 3, 4, line, &number), TALLIX_OK);
  EXPECT_EQ(std::string(line, static_cast<std::size_t>(number)), ",1,2,3,4\n");
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
  bool operator==(const Found&) const = default;
};

Found Search(const std::vector<char>& rows, int32_t row_count, const char* id) {
  Found found{-9, -9, -9, -9, -9};
  EXPECT_EQ(
      SearchIDRecord(rows.data(), row_count, id, 0, &found.index, &found.year, &found.month, &found.day, &found.count),
      0);
  return found;
}

// The first exact match, its numbers read like atol with missing fields 0.
// Quoted IDs are decoded only on lines with more than four commas. (That an
// unlisted ID gets today's date and count 1 the issue dialog's tests show.)
TEST(IdSearch, FindsTheFirstExactMatchAndReadsItsNumbers) {
  const std::vector<std::string> lines = {
      "ABC,2001,2,3,4\n",
      "abc,2024,5,3,1\n",
      "abc,1999,9,9,9\n",
      "ab,7,7,7,7\n",
      "\"a,\"\"b\"\"\",2024,12,31,2\n",  // a,"b"
      "\"x,2024,1,2,3\n",                // "x: four commas, so not the quoted form
      "\"no end,1,2,3,4,5\n",            // quoted form without its closing quote
      "n, 2024x,+5,-3,\n",
      "m,12\n",
      "c\n",
  };
  const std::vector<char> rows = Table(lines);
  const int32_t all = static_cast<int32_t>(lines.size());
  const struct {
    const char* id;
    int32_t row_count;
    Found found;  // index -1: the numbers are today's
  } cases[] = {
      {"abc", all, {1, 2024, 5, 3, 1}},
      {"ABC", all, {0, 2001, 2, 3, 4}},
      {"ab", all, {3, 7, 7, 7, 7}},
      {"a", all, {-1, 0, 0, 0, 0}},
      {"ab", 3, {-1, 0, 0, 0, 0}},  // rows beyond the row count are not looked at
      {"abc", 0, {-1, 0, 0, 0, 0}},
      {"abc", -3, {-1, 0, 0, 0, 0}},
      {"a,\"b\"", all, {4, 2024, 12, 31, 2}},
      {"\"x", all, {5, 2024, 1, 2, 3}},
      {"no end,1,2,3,4,5", all, {6, 0, 0, 0, 0}},
      {"n", all, {7, 2024, 5, -3, 0}},
      {"m", all, {8, 12, 0, 0, 0}},
      {"c", all, {9, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const Found found = Search(rows, c.row_count, c.id);
    if (c.found.index < 0) {
      EXPECT_EQ(found.index, -1) << c.id;
    } else {
      EXPECT_EQ(found, c.found) << c.id;
    }
  }
}

// 512 bytes of one ID and no LF; under AddressSanitizer a read past the
// table (exactly one row here) would stop the test.
TEST(IdSearch, ARowWithoutLineEndIsReadOnlyToItsEnd) {
  std::vector<char> rows(TALLIX_ROW_SIZE, 'z');
  rows[100] = ',';
  const Found found = Search(rows, 1, std::string(100, 'z').c_str());
  EXPECT_EQ(found.index, 0);
  EXPECT_EQ(found.year, 0);
}

}  // namespace
