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

TEST_F(LogFile, AMissingLogIsNeitherWrittenNorCreated) {
  EXPECT_EQ(Append(NewLine(20)), JORNET_FILE_ERROR);
  EXPECT_FALSE(std::filesystem::exists(kLog));
}

TEST_F(LogFile, LinesAreAppendedWithCrLf) {
  WriteBytes(kLog, "");
  ASSERT_EQ(Append("2024,5,3,9,7,abc,xyz,issue new card\n"), 0);
  ASSERT_EQ(Append("2024,5,3,9,8,,xyz,issue new card (L)\n"), 0);
  EXPECT_EQ(ReadBytes(kLog), "2024,5,3,9,7,abc,xyz,issue new card\r\n2024,5,3,9,8,,xyz,issue new card (L)\r\n");
}

TEST_F(LogFile, ALogHeldByAnotherHandleIsLeftAlone) {
  WriteBytes(kLog, "old\r\n");
  platform::UniqueFile held(platform::OpenFile(kLog, platform::FileOpen::ReadExisting));
  ASSERT_TRUE(held.valid());
  EXPECT_EQ(Append(NewLine(20)), JORNET_FILE_ERROR);
  held.reset();
  EXPECT_EQ(ReadBytes(kLog), "old\r\n");
}

TEST_F(LogFile, NothingIsRemovedWhileSizeAndLineStayWithin2000000Bytes) {
  // 1,999,990 bytes and a 10-byte line: 2,000,000, not above the limit.
  const std::string log = Lines(19999, 100) + Lines(1, 90, 'y');
  ASSERT_EQ(log.size(), 1999990u);
  WriteBytes(kLog, log);
  ASSERT_EQ(Append(NewLine(10)), 0);
  const std::string after = ReadBytes(kLog);
  EXPECT_EQ(after.size(), 2000001u);
  EXPECT_EQ(after, log + std::string(9, 'n') + "\r\n");
}

TEST_F(LogFile, OneByteMoreRemovesTheOldestLineFirst) {
  const std::string log = Lines(19999, 100) + Lines(1, 90, 'y');
  WriteBytes(kLog, log);
  ASSERT_EQ(Append(NewLine(11)), 0);
  EXPECT_EQ(ReadBytes(kLog), log.substr(100) + std::string(10, 'n') + "\r\n");
}

// Long lines remove as many of the oldest lines as they need, in one rewrite
// (no more than the side copy and the log written again), with the result of
// removing them one by one; when the lines run out first, all go and the
// trimming fails.
TEST_F(LogFile, ALongLineRemovesTheOldestLinesItNeedsInOneRewrite) {
  const std::string tail(2000000, 'z');
  struct Case {
    const char* name;
    std::string log;
    std::size_t line;
    std::size_t removed;  // bytes from the log's start
    int32_t result;
  };
  const Case cases[] = {
      // 2,000,000 - 200 + 250 is still above the limit: a third line goes.
      {"100-byte lines", Lines(20000, 100), 250, 300, JORNET_OK},
      {"an exact fit after one line", Lines(20000, 100), 100, 100, JORNET_OK},
      {"47-byte lines", Lines(42553, 47), 400, 9 * 47, JORNET_OK},
      {"CR LF and bare LF", "a\r\nbb\ncc\r\n" + Lines(19999, 100), 95, 6, JORNET_OK},
      {"no line end", tail, 20, 0, JORNET_TRIM_FAILED},
      {"no line end after two lines", "a\r\nb\n" + tail, 20, 5, JORNET_TRIM_FAILED},
  };
  for (const Case& c : cases) {
    WriteBytes(kLog, c.log);
    platform::file_faults::Disarm();
    ASSERT_EQ(Append(NewLine(c.line)), c.result) << c.name;
    const std::string kept = c.log.substr(c.removed);
    const std::string expected = c.result == JORNET_OK ? kept + std::string(c.line - 1, 'n') + "\r\n" : kept;
    EXPECT_TRUE(ReadBytes(kLog) == expected) << c.name;  // 2 MB each: no dump
    EXPECT_LE(platform::file_faults::BytesWritten(), 2 * c.log.size() + c.line + 1) << c.name;
  }
}

// DeleteLogRecord on a handle the test opened itself.
class OldestLine : public LogFile {
 protected:
  int32_t Delete(const std::string& log, int32_t& size) {
    file_.reset();
    WriteBytes(kLog, log);
    file_.reset(platform::OpenFile(kLog, platform::FileOpen::ReadWriteExisting));
    EXPECT_TRUE(file_.valid());
    size = static_cast<int32_t>(log.size());
    return DeleteLogRecord(static_cast<int32_t>(file_.get()), &size, 0);
  }

  std::string Contents() {
    std::vector<char> bytes;
    EXPECT_EQ(platform::ReadWholeFile(file_.get(), bytes), platform::ReadResult::Ok);
    return std::string(bytes.begin(), bytes.end());
  }

  platform::UniqueFile file_;
};

TEST_F(OldestLine, TheRestMovesToTheStartAndTheNewSizeIsReturned) {
  int32_t size = 0;
  const std::string log = "first line\r\nsecond\r\nthird\r\n";
  ASSERT_EQ(Delete(log, size), 0);
  EXPECT_EQ(size, static_cast<int32_t>(log.size() - 10 - 2));
  EXPECT_EQ(Contents(), "second\r\nthird\r\n");

  ASSERT_EQ(Delete("only\r\n", size), 0);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(Contents(), "");
}

TEST_F(OldestLine, ABareLfEndsTheFirstLineWithoutTakingAByteOfTheNext) {
  int32_t size = 0;
  ASSERT_EQ(Delete("first\nsecond\r\n", size), 0);
  EXPECT_EQ(size, 8);
  EXPECT_EQ(Contents(), "second\r\n");
}

TEST_F(OldestLine, NoLineEndOrNoSizePointerChangesNothing) {
  int32_t size = 0;
  EXPECT_EQ(Delete("no line end", size), JORNET_FILE_ERROR);
  EXPECT_EQ(size, 11);
  EXPECT_EQ(Contents(), "no line end");
  EXPECT_EQ(DeleteLogRecord(static_cast<int32_t>(file_.get()), nullptr, 0), JORNET_FILE_ERROR);
  EXPECT_EQ(Contents(), "no line end");
}

}  // namespace
