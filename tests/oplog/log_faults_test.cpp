// Failures and stops while the log is trimmed and appended to: every read,
// write, truncation and flush fails in turn, or all writes stop from one on;
// no line may be lost or damaged.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "oplog/log_file.h"
#include "platform/file.h"
#include "platform/file_faults.h"
#include "platform/file_rewrite.h"
#include "tests/support/temp_dir.h"

namespace {

using jornet::LogStatus;
using platform::file_faults::Op;
using testing_support::ReadBytes;
using testing_support::ScopedCurrentDir;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace faults = platform::file_faults;

constexpr const char* kLog = "UserCardProcessLog.csv";
constexpr const char* kSideCopy = "UserCardProcessLog.csv.pending";

// A full log of 20,000 lines of 100 bytes: any append removes the first line.
std::string FullLog() {
  std::string log;
  for (int i = 0; i < 20000; ++i) {
    std::string line = std::to_string(i) + ",";
    line.resize(98, 'x');
    log += line + "\r\n";
  }
  return log;
}

const std::string kLine = "2024,5,3,9,7,abc,xyz,issue new card\n";
const std::string kLineInFile = "2024,5,3,9,7,abc,xyz,issue new card\r\n";

class LogFaults : public ::testing::Test {
 protected:
  LogFaults() : cwd_(dir_.path()), before_(FullLog()), trimmed_(before_.substr(100)) {}
  ~LogFaults() override { faults::Disarm(); }

  TempDir dir_;
  ScopedCurrentDir cwd_;
  const std::string before_;
  const std::string trimmed_;
};

TEST_F(LogFaults, AFailedRemovalLeavesTheLogAsItWasAndAFailedAppendIsUndone) {
  WriteBytes(kLog, before_);
  faults::Disarm();
  ASSERT_EQ(jornet::AppendLogLine(kLine), LogStatus::Ok);
  ASSERT_EQ(ReadBytes(kLog), trimmed_ + kLineInFile);
  std::map<Op, int> counts;
  for (Op op : {Op::Read, Op::Write, Op::Truncate, Op::Flush}) counts[op] = faults::Count(op);

  for (const auto& [op, count] : counts) {
    ASSERT_GT(count, 0);
    for (int n = 1; n <= count; ++n) {
      SCOPED_TRACE("failing operation " + std::to_string(static_cast<int>(op)) + " number " + std::to_string(n));
      WriteBytes(kLog, before_);
      faults::FailNth(op, n);
      const LogStatus status = jornet::AppendLogLine(kLine);
      faults::Disarm();
      EXPECT_NE(status, LogStatus::Ok);
      EXPECT_EQ(ReadBytes(kLog), status == LogStatus::AppendFailed ? trimmed_ : before_);
      EXPECT_FALSE(std::filesystem::exists(kSideCopy));
    }
  }

  // Writes stopped during trimming lose no line: reopened, the log is wholly
  // untrimmed or trimmed. Stopped at the last write, the append itself, the
  // log keeps half a line, which the next append ends before its own line.
  ASSERT_GT(counts[Op::Write], 1);
  const std::string torn = trimmed_ + kLineInFile.substr(0, kLineInFile.size() / 2);
  for (int n = 1; n <= counts[Op::Write]; ++n) {
    SCOPED_TRACE("writes stopped from " + std::to_string(n));
    const bool at_append = n == counts[Op::Write];
    WriteBytes(kLog, before_);
    std::filesystem::remove(kSideCopy);
    faults::StopWritesFrom(n);
    EXPECT_EQ(jornet::AppendLogLine(kLine), at_append ? LogStatus::AppendFailed : LogStatus::TrimFailed);
    faults::Disarm();
    {
      platform::UniqueFile log(platform::OpenFile(kLog, platform::FileOpen::ReadWriteExisting));
      ASSERT_TRUE(log.valid());
      ASSERT_NE(platform::FinishPendingRewrite(log.get()), platform::Recovery::Failed);
    }
    const std::string recovered = ReadBytes(kLog);
    if (at_append) {
      EXPECT_TRUE(recovered == torn);
    } else {
      EXPECT_TRUE(recovered == before_ || recovered == trimmed_);
    }
    ASSERT_EQ(jornet::AppendLogLine(kLine), LogStatus::Ok);
    EXPECT_TRUE(ReadBytes(kLog) == (at_append ? torn + "\r\n" : trimmed_) + kLineInFile);
  }
}

}  // namespace
