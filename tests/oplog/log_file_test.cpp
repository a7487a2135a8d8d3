// The log file through the exports: appends, the 2,000,000-byte rule at its
// exact boundary, and removal of the oldest line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oplog/Jornet.h"
#include "platform/file.h"
#include "platform/file_faults.h"
#include "platform/file_rewrite.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadBytes;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;
using testing_support::WriteBytes;

constexpr const char* kLog = "UserCardProcessLog.csv";

// `count` lines of exactly `size` bytes each, CR LF included, numbered so
// that every line differs.
std::string Lines(int count, std::size_t size, char fill = 'x') {
  std::string lines;
  lines.reserve(static_cast<std::size_t>(count) * size);
  for (int i = 0; i < count; ++i) {
    std::string line = std::to_string(i) + ",";
    line.resize(size - 2, fill);
    lines += line + "\r\n";
  }
  return lines;
}

// A line as MakeLogRecord returns it: `size` bytes ending with one LF.
std::string NewLine(std::size_t size) { return std::string(size - 1, 'n') + "\n"; }

int32_t Append(const std::string& line) { return WriteNewLogRecord(line.data(), static_cast<uint32_t>(line.size())); }

class LogFile : public ::testing::Test {
 protected:
  LogFile() : cwd_(dir_.path()) {}
  TempDir dir_;
  ScopedCurrentDir cwd_;
};

TEST_F(LogFile, AMissingLogIsNotCreated) {
  EXPECT_EQ(Append(NewLine(20)), JORNET_FILE_ERROR);
  EXPECT_FALSE(std::filesystem::exists(kLog));
}

// Beyond 2,000,000 bytes with the new line, as many of the oldest lines go as
// are needed, in one rewrite (the side copy and the log written once each);
// when the lines run out first, all go and the trimming fails.
TEST_F(LogFile, TheOldestLinesGoWhenTheLogWouldExceed2000000Bytes) {
  const std::string tail(2000000, 'z');
  const std::string just_below = Lines(19999, 100) + Lines(1, 90, 'y');  // 1,999,990 bytes
  struct Case {
    const char* name;
    std::string log;
    std::size_t line;
    std::size_t removed;  // bytes from the log's start
    int32_t result;
  };
  const Case cases[] = {
      {"the first line", "", 20, 0, JORNET_OK},
      {"2,000,000 bytes with the line", just_below, 10, 0, JORNET_OK},
      {"one byte more", just_below, 11, 100, JORNET_OK},
      // 2,000,000 - 200 + 250 is still above the limit: a third line goes.
      {"100-byte lines", Lines(20000, 100), 250, 300, JORNET_OK},
      {"an exact fit after one line", Lines(20000, 100), 100, 100, JORNET_OK},
      {"47-byte lines", Lines(42553, 47), 400, 9 * 47, JORNET_OK},
      {"CR LF and bare LF", "a\r\nbb\ncc\r\n" + Lines(19999, 100), 95, 6, JORNET_OK},
      // A partial last line is ended first, and its CR LF counts.
      {"a partial last line", "a\r\npartial", 20, 0, JORNET_OK},
      {"a partial last line at the limit", Lines(19999, 100) + std::string(88, 'p'), 10, 0, JORNET_OK},
      {"a partial last line beyond it", Lines(19999, 100) + std::string(88, 'p'), 11, 100, JORNET_OK},
      {"no line end", tail, 20, 0, JORNET_TRIM_FAILED},
      {"no line end after two lines", "a\r\nb\n" + tail, 20, 5, JORNET_TRIM_FAILED},
  };
  for (const Case& c : cases) {
    WriteBytes(kLog, c.log);
    platform::file_faults::Disarm();
    ASSERT_EQ(Append(NewLine(c.line)), c.result) << c.name;
    const std::string kept = c.log.substr(c.removed);
    const std::string ended = kept.empty() || kept.back() == '\n' ? kept : kept + "\r\n";
    const std::string expected = c.result == JORNET_OK ? ended + std::string(c.line - 1, 'n') + "\r\n" : kept;
    EXPECT_TRUE(ReadBytes(kLog) == expected) << c.name;  // 2 MB each: no dump
    EXPECT_LE(platform::file_faults::BytesWritten(), 2 * c.log.size() + c.line + 3) << c.name;
  }
}

// DeleteLogRecord on the test's own handle: the first line goes, whatever its
// line end; without any line end nothing changes.
TEST_F(LogFile, DeletingTheOldestLineMovesTheRestToTheStart) {
  const struct {
    std::string log;
    int32_t result;
    std::string after;
  } cases[] = {
      {"first line\r\nsecond\r\nthird\r\n", 0, "second\r\nthird\r\n"},
      {"first\nsecond\r\n", 0, "second\r\n"},
      {"only\r\n", 0, ""},
      {"no line end", JORNET_FILE_ERROR, "no line end"},
  };
  platform::UniqueFile file;
  const auto contents = [&file] {
    std::vector<char> bytes;
    EXPECT_EQ(platform::ReadWholeFile(file.get(), bytes), platform::ReadResult::Ok);
    return std::string(bytes.begin(), bytes.end());
  };
  for (const auto& c : cases) {
    file.reset();
    WriteBytes(kLog, c.log);
    file.reset(platform::OpenFile(kLog, platform::FileOpen::ReadWriteExisting));
    ASSERT_TRUE(file.valid());
    int32_t size = static_cast<int32_t>(c.log.size());
    EXPECT_EQ(DeleteLogRecord(static_cast<int32_t>(file.get()), &size, 0), c.result) << c.log;
    EXPECT_EQ(size, static_cast<int32_t>(c.after.size())) << c.log;
    EXPECT_EQ(contents(), c.after);
  }
  EXPECT_EQ(DeleteLogRecord(static_cast<int32_t>(file.get()), nullptr, 0), JORNET_FILE_ERROR);
  EXPECT_EQ(contents(), "no line end");
}

}  // namespace
