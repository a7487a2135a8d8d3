// The list file through the exports: open without sharing, load, replace,
// append, delete, back up; contents checked byte for byte after each call.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "idlist/Tallix.h"
#include "platform/file_rewrite.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr int32_t kCapacity = TALLIX_TABLE_ROWS;
constexpr char kFill = '\x5A';

// A list file in a fresh folder and the program's table (5000 rows), with a
// guard region after the table that must never be written.
class ListFile : public ::testing::Test {
 protected:
  ListFile() : path_(dir_.file("UserIDList.csv")), memory_((kCapacity + 8) * std::size_t{TALLIX_ROW_SIZE}, kFill) {}
  ~ListFile() override { Close(); }

  void Close() {
    CloseIDFile(handle_);
    handle_ = -1;
  }

  // Writes the file, opens and loads it; the load's result code.
  int32_t Load(const std::string& bytes, int32_t capacity = kCapacity) {
    Close();
    WriteBytes(path_, bytes);
    EXPECT_EQ(OpenIDFile(path_.c_str(), &handle_), 0);
    count_ = capacity;
    return ReadIDFileAll(handle_, memory_.data(), &count_);
  }

  std::string Row(int32_t index) const {
    const char* row = memory_.data() + static_cast<std::size_t>(index) * TALLIX_ROW_SIZE;
    const void* lf = std::memchr(row, '\n', TALLIX_ROW_SIZE);
    return lf == nullptr ? "<no LF>" : std::string(row, static_cast<const char*>(lf) - row + 1);
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < count_; ++i) rows.push_back(Row(i));
    return rows;
  }

  int32_t Write(int32_t index, const std::string& line) {
    return WriteIDRecord(handle_, index, line.data(), static_cast<int32_t>(line.size()), memory_.data(), &count_);
  }

  int32_t Delete(int32_t index) { return DeleteIDRecord(handle_, index, memory_.data(), &count_); }

  bool GuardIntact() const {
    const auto table_end = memory_.begin() + std::ptrdiff_t{kCapacity} * TALLIX_ROW_SIZE;
    return std::all_of(table_end, memory_.end(), [](char b) { return b == kFill; });
  }

  // The file's bytes, read through the open handle: Windows lets no other
  // handle read the list meanwhile.
  std::string File() const {
    std::vector<char> bytes;
    EXPECT_EQ(platform::ReadWholeFile(handle_, bytes), platform::ReadResult::Ok);
    return std::string(bytes.begin(), bytes.end());
  }

  TempDir dir_;
  std::string path_;
  std::vector<char> memory_;
  int32_t handle_ = -1;
  int32_t count_ = 0;
};

TEST_F(ListFile, AMissingListIsNotCreatedAndAHeldOneNotOpenedAgain) {
  int32_t second = 12345;
  EXPECT_EQ(OpenIDFile(path_.c_str(), &second), TALLIX_FILE_ERROR);
  EXPECT_LT(second, 0);
  EXPECT_FALSE(std::filesystem::exists(path_));

  ASSERT_EQ(Load("abc,2024,5,3,1\r\n"), 0);
  second = 0;
  EXPECT_EQ(OpenIDFile(path_.c_str(), &second), TALLIX_FILE_ERROR);
  EXPECT_LT(second, 0);
  EXPECT_EQ(MakeBackupFile(path_.c_str(), dir_.file("backup.csv").c_str()), TALLIX_FILE_ERROR);
  Close();
  EXPECT_EQ(OpenIDFile(path_.c_str(), &second), 0);
  EXPECT_GE(second, 0);
  CloseIDFile(second);
}

// Each line into a row ending with LF. A 0x1A ends the data, and a last line
// without line end is no record; a line longer than 511 bytes refuses the
// whole file with the table untouched.
TEST_F(ListFile, LoadsEachLineIntoARowEndingWithLf) {
  const std::string longest(511, 'x');
  const std::string refused = "<refused>";
  const struct {
    std::string file;
    std::vector<std::string> rows;
  } cases[] = {
      {"", {}},
      {"abc,2024,5,3,1\r\nbare,1,2,3,4\nlone\rcr,1,1,1,1\r\n",
       {"abc,2024,5,3,1\n", "bare,1,2,3,4\n", "lone\rcr,1,1,1,1\n"}},
      {"a,1,1,1,1\r\n\x1A"
       "b,2,2,2,2\r\n",
       {"a,1,1,1,1\n"}},
      {"a,1,1,1,1\r\ntail,2,2,2,2", {"a,1,1,1,1\n"}},
      {"a,1,1,1,1\r\n" + longest + "\r\n", {"a,1,1,1,1\n", longest + "\n"}},
      {"a,1,1,1,1\r\n" + longest + "x\r\nb,1,1,1,1\r\n", {refused}},
      {"a,1,1,1,1\r\n" + longest + "x", {refused}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 40));
    std::fill(memory_.begin(), memory_.end(), kFill);
    if (c.rows == std::vector<std::string>{refused}) {
      EXPECT_EQ(Load(c.file), TALLIX_FILE_ERROR);
      EXPECT_EQ(count_, kCapacity);
      EXPECT_EQ(memory_[0], kFill);
    } else {
      ASSERT_EQ(Load(c.file), 0);
      EXPECT_EQ(Rows(), c.rows);
    }
    EXPECT_TRUE(GuardIntact());
  }
  // The unterminated last line was still copied into the row after the last.
  ASSERT_EQ(Load("a,1,1,1,1\r\ntail,2,2,2,2"), 0);
  EXPECT_EQ(std::string(memory_.data() + TALLIX_ROW_SIZE, 14),
            "tail,2,2,2,2"
            "\x5A\x5A");
}

TEST_F(ListFile, AFullTableTakesOnlyReplacementsAndMoreLinesGiveTheRealCount) {
  std::string lines;
  for (int i = 0; i < kCapacity; ++i) lines += "id" + std::to_string(i) + ",2024,5,3,1\r\n";
  ASSERT_EQ(Load(lines), 0);
  EXPECT_EQ(count_, kCapacity);
  EXPECT_EQ(Row(kCapacity - 1), "id4999,2024,5,3,1\n");
  EXPECT_TRUE(GuardIntact());
  // A full table takes no append, but still a replacement.
  EXPECT_EQ(Write(kCapacity, "new,2024,5,3,1\n"), 0x1000);
  EXPECT_EQ(count_, kCapacity);
  EXPECT_TRUE(GuardIntact());
  EXPECT_EQ(Write(kCapacity - 1, "last,2024,5,3,1\n"), 0);
  EXPECT_EQ(Row(kCapacity - 1), "last,2024,5,3,1\n");

  // A last line without line end finds no row left: it is not copied at all.
  ASSERT_EQ(Load(lines + "extra,1,1,1,1"), 0);
  EXPECT_EQ(count_, kCapacity);
  EXPECT_TRUE(GuardIntact());

  std::fill(memory_.begin(), memory_.end(), kFill);
  EXPECT_EQ(Load(lines + "extra,1,1,1,1\r\n"), TALLIX_FILE_ERROR);
  EXPECT_EQ(count_, kCapacity + 1);
  EXPECT_EQ(memory_[0], kFill);

  EXPECT_EQ(Load("a\nb\nc\n", 2), TALLIX_FILE_ERROR);
  EXPECT_EQ(count_, 3);
}

// Appends (any index that is not a row) end with CR LF; a replaced line keeps
// its place whatever the line ends before it; a last line without line end
// is kept (ended, and a row too, before an append); what follows a 0x1A is
// dropped. The table holds the file's lines, and so does the file loaded again.
TEST_F(ListFile, WritesChangeTheFileAndTheTableAlike) {
  const struct {
    std::string before;
    int32_t index;
    std::string line;
    std::string after;
  } cases[] = {
      {"", -1, "abc,2024,5,3,1\n", "abc,2024,5,3,1\r\n"},
      {"abc,2024,5,3,1\r\n", 7, "def,2024,5,4,1\n", "abc,2024,5,3,1\r\ndef,2024,5,4,1\r\n"},
      {"longer-user,2024,5,3,1\r\nb,2024,5,3,1\r\nc,2024,5,3,1\r\n", 0, "a,2025,1,1,2\n",
       "a,2025,1,1,2\r\nb,2024,5,3,1\r\nc,2024,5,3,1\r\n"},
      {"a,2025,1,1,2\r\nb,2024,5,3,1\r\nc,2024,5,3,1\r\n", 2, "c-is-longer-now,2025,1,1,2\n",
       "a,2025,1,1,2\r\nb,2024,5,3,1\r\nc-is-longer-now,2025,1,1,2\r\n"},
      {"a,1,1,1,1\nb,2,2,2,2\nc,3,3,3,3\r\nd,4,4,4,4\n", 2, "c,9,9,9,9\n",
       "a,1,1,1,1\nb,2,2,2,2\nc,9,9,9,9\r\nd,4,4,4,4\r\n"},
      {"a,1,1,1,1\r\npartial", -1, "b,2,2,2,2\n", "a,1,1,1,1\r\npartial\r\nb,2,2,2,2\r\n"},
      {"a,1,1,1,1\r\npartial\x1A"
       "junk",
       0, "b,2,2,2,2\n", "b,2,2,2,2\r\npartial"},
      {"a,1,1,1,1\r\n\x1A"
       "junk\r\n",
       -1, "b,2,2,2,2\n", "a,1,1,1,1\r\nb,2,2,2,2\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before + " <- " + c.line);
    ASSERT_EQ(Load(c.before), 0);
    ASSERT_EQ(Write(c.index, c.line), 0);
    EXPECT_EQ(File(), c.after);
    const std::vector<std::string> rows = Rows();
    Close();
    ASSERT_EQ(Load(c.after), 0);
    EXPECT_EQ(rows, Rows());
  }
}

TEST_F(ListFile, LinesThatCannotBeStoredAreRefusedWithNothingChanged) {
  const std::string before = "a,1,1,1,1\r\n";
  ASSERT_EQ(Load(before), 0);
  for (const std::string& line : {std::string("no-lf,1,1,1,1"), std::string("two\nlines,1,1,1,1\n"),
                                  std::string("ctrl-z\x1A,1,1,1,1\n"), std::string(TALLIX_ROW_SIZE, 'x') + "\n"}) {
    EXPECT_EQ(Write(-1, line), TALLIX_FILE_ERROR);
    EXPECT_EQ(Write(0, line), TALLIX_FILE_ERROR);
  }
  EXPECT_EQ(count_, 1);
  EXPECT_EQ(File(), before);

  // A table row with a 0x1A (never loaded from a file) would cut the list
  // short at its next load, so the file is not rewritten from it.
  memory_[3] = '\x1A';
  EXPECT_EQ(Write(-1, "b,2,2,2,2\n"), 0);  // an append writes no earlier row
  EXPECT_EQ(Write(1, "c,3,3,3,3\n"), 0);
  EXPECT_EQ(Delete(1), TALLIX_DELETE_FAILED);
  EXPECT_EQ(count_, 2);
  EXPECT_EQ(File(), "a,1,1,1,1\r\nc,3,3,3,3\r\n");
}

TEST_F(ListFile, DeletingMovesLaterRowsUpAndRewritesTheFile) {
  ASSERT_EQ(Load("a,1,1,1,1\nb,2,2,2,2\r\nlong-id-c,3,3,3,3\r\n"), 0);
  ASSERT_EQ(Delete(1), 0);
  EXPECT_EQ(count_, 2);
  EXPECT_EQ(Rows(), (std::vector<std::string>{"a,1,1,1,1\n", "long-id-c,3,3,3,3\n"}));
  EXPECT_EQ(File(), "a,1,1,1,1\r\nlong-id-c,3,3,3,3\r\n");
  // The row that fell out of the table is zeros, and so is everything after
  // a moved row's LF.
  const std::string dropped(memory_.data() + 2 * std::size_t{TALLIX_ROW_SIZE}, TALLIX_ROW_SIZE);
  EXPECT_EQ(dropped, std::string(TALLIX_ROW_SIZE, '\0'));
  EXPECT_EQ(memory_[TALLIX_ROW_SIZE + 18], '\0');

  for (int32_t outside : {-1, 2, 100}) {
    EXPECT_EQ(Delete(outside), 0);
    EXPECT_EQ(count_, 2);
  }
  ASSERT_EQ(Delete(0), 0);
  ASSERT_EQ(Delete(0), 0);
  EXPECT_EQ(count_, 0);
  EXPECT_EQ(File(), "");

  // A last line without line end stays as it is.
  ASSERT_EQ(Load("a,1,1,1,1\r\nb,2,2,2,2\npartial"), 0);
  ASSERT_EQ(Delete(0), 0);
  EXPECT_EQ(File(), "b,2,2,2,2\r\npartial");
}

TEST(ListBackup, CopiesExactlyAndCutsAnOlderLongerBackupButNeedsSourceAndFolder) {
  TempDir dir;
  const std::string list = dir.file("UserIDList.csv");
  const std::string backup = dir.file("BBackupUser.csv");
  EXPECT_EQ(MakeBackupFile(list.c_str(), backup.c_str()), TALLIX_FILE_ERROR);
  EXPECT_FALSE(std::filesystem::exists(backup));

  const std::string bytes =
      "a,1,1,1,1\r\nb\n\x1A"
      "after";
  WriteBytes(list, bytes);
  WriteBytes(backup, std::string(1000, 'o'));
  ASSERT_EQ(MakeBackupFile(list.c_str(), backup.c_str()), 0);
  EXPECT_EQ(ReadBytes(backup), bytes);
  EXPECT_EQ(MakeBackupFile(list.c_str(), dir.file("no-such-folder/b.csv").c_str()), TALLIX_FILE_ERROR);
  EXPECT_EQ(ReadBytes(list), bytes);
}

}  // namespace
