// Loading a language file and looking texts up: ReadLangFile, GetStringLangData.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "lang/Lingrel.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr std::size_t kTableBytes = std::size_t{LINGREL_TABLE_ROWS} * LINGREL_ROW_SIZE;
constexpr std::size_t kGuardBytes = 4096;
constexpr char kFill = '\x5A';
const std::string kNoText = "no string data";

// A table of exactly the program's size followed by a guard region that must
// never be written.
class LanguageTable : public ::testing::Test {
 protected:
  LanguageTable() : memory_(kTableBytes + kGuardBytes, kFill) {}

  int32_t Load(const std::string& bytes) {
    const std::string path = dir_.file("lang.csv");
    WriteBytes(path, bytes);
    return ReadLangFile(path.c_str(), static_cast<int32_t>(path.size()), memory_.data(), &count_);
  }

  std::string Text(int32_t id) const {
    char text[512];
    std::memset(text, '#', sizeof text);
    int32_t length = -1;
    EXPECT_EQ(GetStringLangData(memory_.data(), count_, id, text, &length), 0);
    EXPECT_EQ(text[length], '\0');
    EXPECT_EQ(std::strlen(text), static_cast<std::size_t>(length));
    return std::string(text, static_cast<std::size_t>(length));
  }

  bool GuardIntact() const {
    return std::all_of(memory_.begin() + kTableBytes, memory_.end(), [](char b) { return b == kFill; });
  }

  TempDir dir_;
  std::vector<char> memory_;
  int32_t count_ = -5;
};

// Each file loaded into the table, then its texts looked up by identifier.
TEST_F(LanguageTable, TextsAreFoundByIdentifier) {
  const struct {
    const char* name;
    std::string file;
    int32_t lines;
    std::vector<std::pair<int32_t, std::string>> texts;  // identifier, text
  } cases[] = {
      {"last line without line end: stored, never found", "1,one\n2,two", 1, {{1, "one"}, {2, kNoText}}},
      {"control Z ends the file",
       "1,one\r\n\x1A"
       "2,two\r\n",
       1,
       {{1, "one"}, {2, kNoText}}},
      {"escapes decode and each pair counts once",
       "1,a\\,b\\nc\n2,x\\\\y\\qz\n3,end,ignored\n4,tail\\\n5,\\\\,next\n",
       5,
       // In 5, the comma replaces the second backslash: one backslash is left before a comma.
       {{1, "a,b\nc"}, {2, "x\\y\\qz"}, {3, "end"}, {4, "tail\\"}, {5, "\\,next"}}},
      {"line without comma has an empty text", "7\n8,eight\n", 2, {{7, ""}, {8, "eight"}}},
      {"identifier 0 matches the first field without digits", "1,one\nID,TEXT\n\n0,zero\n", 4, {{0, "TEXT"}}},
      {"an empty line is identifier 0", "1,one\n\n0,zero\n", 3, {{0, ""}}},
      {"identifiers read like atol and saturate",
       "  +12,twelve\n \t-0042x,minus forty-two\n+-1,zero\n99999999999999,most\n-99999999999999,least\n",
       5,
       {{12, "twelve"}, {-42, "minus forty-two"}, {0, "zero"}, {2147483647, "most"}, {-2147483647 - 1, "least"}}},
      {"earlier duplicate wins", "9,first\n9,second\n", 2, {{9, "first"}}},
      {"empty file", "", 0, {{0, kNoText}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Load(c.file), 0);
    EXPECT_EQ(count_, c.lines);
    for (const auto& [id, text] : c.texts) EXPECT_EQ(Text(id), text) << id;
  }
}

TEST_F(LanguageTable, TextsAreCutAt256CharactersAndRowsAt599) {
  const std::string text300(300, 't');
  const std::string line700 = "2," + std::string(698, 'r');
  ASSERT_EQ(Load("1," + text300 + "\n" + line700 + "\n3,after\n"), 0);
  EXPECT_EQ(count_, 3);
  EXPECT_EQ(Text(1), std::string(256, 't'));
  EXPECT_EQ(std::string(memory_.data() + LINGREL_ROW_SIZE, 600), line700.substr(0, 599) + "\n");
  EXPECT_EQ(Text(3), "after");
  // 256 characters are taken before decoding: 128 escapes decode to 128 bytes.
  std::string escapes;
  for (int i = 0; i < 200; ++i) escapes += "\\n";
  ASSERT_EQ(Load("4," + escapes + "\n"), 0);
  EXPECT_EQ(Text(4), std::string(128, '\n'));
}

TEST_F(LanguageTable, TwoHundredLinesFitAndMoreAreRefusedUntouched) {
  std::string lines;
  for (int i = 1; i <= 200; ++i)
    lines += std::to_string(i) + "," + std::string(598 - std::to_string(i).size() - 1, 'w') + "\n";
  ASSERT_EQ(Load(lines), 0);
  EXPECT_EQ(count_, 200);
  EXPECT_TRUE(GuardIntact());
  EXPECT_EQ(Text(200).size(), 256u);

  // A 201st line without line end is not a line of the table; it is dropped.
  ASSERT_EQ(Load(lines + "201,dropped"), 0);
  EXPECT_EQ(count_, 200);
  EXPECT_TRUE(GuardIntact());

  std::fill(memory_.begin(), memory_.end(), kFill);
  count_ = -5;
  EXPECT_EQ(Load(lines + "201,one too many\n"), 0x1000);
  EXPECT_EQ(count_, -5);
  EXPECT_TRUE(GuardIntact());
  EXPECT_EQ(memory_[0], kFill);
}

// A missing file is an error with the count untouched. A negative row count
// or no table at all has no texts.
TEST_F(LanguageTable, AMissingFileIsAnErrorAndNoTableHasNoText) {
  EXPECT_EQ(ReadLangFile(dir_.file("lang.csv").c_str(), 0, memory_.data(), &count_), 0x1000);
  EXPECT_EQ(count_, -5);
  std::memcpy(memory_.data(), "1,one\n", 6);
  EXPECT_EQ(Text(1), kNoText);
  char text[257];
  int32_t length = 0;
  EXPECT_EQ(GetStringLangData(nullptr, 0, 1, text, &length), 0);
  EXPECT_EQ(std::string(text), kNoText);
  EXPECT_EQ(length, 14);
}

}  // namespace
