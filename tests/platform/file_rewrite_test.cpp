// Rewrites through a side copy, its recovery, and the fault hook they are
// tested with (that failed reads and truncations fail, the list's and the
// log's fault tests show).
#include "platform/file_rewrite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/file_faults.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::FileOpen;
using platform::Recovery;
using platform::Rewrite;
using platform::UniqueFile;
using platform::file_faults::Op;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace faults = platform::file_faults;

std::string Contents(platform::FileHandle file) {
  std::vector<char> bytes;
  EXPECT_EQ(platform::ReadWholeFile(file, bytes), platform::ReadResult::Ok);
  return std::string(bytes.begin(), bytes.end());
}

class FileRewrite : public ::testing::Test {
 protected:
  FileRewrite() : path_(dir_.file("data.csv")), side_(path_ + ".pending") {}
  ~FileRewrite() override { faults::Disarm(); }

  UniqueFile Open(const std::string& bytes) {
    WriteBytes(path_, bytes);
    UniqueFile file(platform::OpenFile(path_.c_str(), FileOpen::ReadWriteExisting));
    EXPECT_TRUE(file.valid());
    return file;
  }

  TempDir dir_;
  std::string path_;
  std::string side_;
};

TEST_F(FileRewrite, AnInterruptedRewriteIsFinishedWhenTheFileIsNextOpened) {
  // The side copy takes three writes; the fourth, stopped, would rewrite in place.
  UniqueFile file = Open("first\r\nsecond\r\n");
  faults::StopWritesFrom(4);
  EXPECT_EQ(platform::RewriteFile(file.get(), "first\r\nsecond\r\n", 7, "2nd\r\nthird\r\n"), Rewrite::Pending);
  faults::Disarm();
  EXPECT_TRUE(platform::PathExists(side_.c_str()));
  EXPECT_NE(Contents(file.get()), "first\r\n2nd\r\nthird\r\n");
  const std::optional<std::vector<char>> pending = platform::PendingContents(file.get());
  ASSERT_TRUE(pending.has_value());
  EXPECT_EQ(std::string(pending->begin(), pending->end()), "first\r\n2nd\r\nthird\r\n");

  // Until then no other rewrite may touch the file.
  const std::string torn = Contents(file.get());
  EXPECT_EQ(platform::RewriteFile(file.get(), torn, 0, "other"), Rewrite::Failed);
  EXPECT_EQ(Contents(file.get()), torn);
  // A side copy that cannot be read keeps the file from being used.
  faults::FailNth(Op::Read, 1);
  EXPECT_EQ(platform::FinishPendingRewrite(file.get()), Recovery::Failed);
  faults::Disarm();
  EXPECT_TRUE(platform::PathExists(side_.c_str()));

  EXPECT_EQ(platform::FinishPendingRewrite(file.get()), Recovery::Finished);
  EXPECT_EQ(Contents(file.get()), "first\r\n2nd\r\nthird\r\n");
  EXPECT_FALSE(platform::PathExists(side_.c_str()));
  EXPECT_EQ(platform::FinishPendingRewrite(file.get()), Recovery::NothingPending);
}

TEST_F(FileRewrite, TheSideCopyIsTheBytesThenTagLengthAndCrc32) {
  // Written by hand: "123456789" has the CRC-32 0xCBF43926.
  const std::string trailer("PENDING\x1A\x09\0\0\0\0\0\0\0\x26\x39\xF4\xCB", 20);
  UniqueFile file = Open("old contents");
  WriteBytes(side_, "123456789" + trailer);
  EXPECT_EQ(platform::FinishPendingRewrite(file.get()), Recovery::Finished);
  EXPECT_EQ(Contents(file.get()), "123456789");

  // Any damage (here one byte of the contents, then a cut trailer) makes the
  // side copy incomplete: it is discarded and the file keeps its contents.
  for (const std::string& damaged : {"123456780" + trailer, "123456789" + trailer.substr(0, 19), std::string()}) {
    WriteBytes(side_, damaged);
    EXPECT_FALSE(platform::PendingContents(file.get()).has_value());
    EXPECT_EQ(platform::FinishPendingRewrite(file.get()), Recovery::NothingPending);
    EXPECT_EQ(Contents(file.get()), "123456789");
    EXPECT_FALSE(platform::PathExists(side_.c_str()));
  }
}

TEST(FileFaults, AFailingWriteStoresHalfAndAStopBlocksEveryChangeButReads) {
  TempDir dir;
  const std::string path = dir.file("f.bin");
  UniqueFile file(platform::OpenFile(path.c_str(), FileOpen::ReadWriteCreate));
  ASSERT_TRUE(file.valid());

  faults::FailNth(Op::Write, 2);
  EXPECT_TRUE(platform::WriteToFile(file.get(), "1234", 4));
  EXPECT_FALSE(platform::WriteToFile(file.get(), "abcdef", 6));
  EXPECT_TRUE(platform::WriteToFile(file.get(), "!", 1));
  EXPECT_EQ(faults::Count(Op::Write), 3);
  EXPECT_EQ(faults::BytesWritten(), 8u);
  EXPECT_EQ(Contents(file.get()), "1234abc!");

  faults::StopWritesFrom(1);
  EXPECT_FALSE(platform::WriteToFile(file.get(), "zz", 2));
  EXPECT_FALSE(platform::WriteToFile(file.get(), "yy", 2));
  EXPECT_FALSE(platform::TruncateFile(file.get(), 0));
  EXPECT_FALSE(platform::FlushFile(file.get()));
  EXPECT_EQ(Contents(file.get()), "1234abc!z");
  faults::Disarm();
}

}  // namespace
