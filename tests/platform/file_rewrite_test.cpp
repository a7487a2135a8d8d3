// Rewrites through a side copy, its recovery, and the fault hook they are
// tested with (that failed reads and truncations fail, the list's and the
// log's fault tests show).
#include "platform/file_rewrite.h"

#include <gtest/gtest.h>

#include <filesystem>
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
  const std::optional<std::vector<char>> pending = platform::PendingContents(file.get(), Contents(file.get()));
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

// The side copy a rewrite of `old` leaves when it stops right after the copy.
std::string SideCopyFor(const std::string& old, std::size_t from, const std::string& tail) {
  TempDir dir;
  WriteBytes(dir.file("f"), old);
  UniqueFile file(platform::OpenFile(dir.file("f").c_str(), FileOpen::ReadWriteExisting));
  faults::StopWritesFrom(4);
  EXPECT_EQ(platform::RewriteFile(file.get(), old, from, tail), Rewrite::Pending);
  faults::Disarm();
  return ReadBytes(dir.file("f.pending"));
}

TEST_F(FileRewrite, TheSideCopyIsTheNewBytesTheOldOnesTheyLackAndATrailer) {
  // Old "123456789" (CRC-32 0xCBF43926), new "1234x6789": head 4, shared end 4, middle "5".
  const std::string side = SideCopyFor("123456789", 3, "4x6789");
  const std::string fields("\x09\0\0\0\0\0\0\0\x04\0\0\0\0\0\0\0\x09\0\0\0\0\0\0\0\x04\0\0\0\0\0\0\0\x26\x39\xF4\xCB",
                           36);
  EXPECT_EQ(side.substr(0, side.size() - 4),
            "1234x6789"
            "5"
            "REWRITE\x1A" +
                fields);
}

// A side copy is applied only to a file it belongs to; any other complete one
// is renamed aside, through the open or, first, through the program's check.
TEST_F(FileRewrite, OnlyACopyMadeForTheFileIsAppliedAnyOtherIsSetAsideIntact) {
  const std::string old_bytes = "first\r\nsecond\r\n";
  const std::string new_bytes = "first\r\n2nd\r\nthird\r\n";
  const std::string genuine = SideCopyFor(old_bytes, 7, "2nd\r\nthird\r\n");
  std::string damaged = genuine;
  damaged[3] ^= 1;
  const std::string earlier_format = "123456789" + std::string("PENDING\x1A\x09\0\0\0\0\0\0\0\x26\x39\xF4\xCB", 20);
  struct Case {
    const char* name;
    std::string side;
    std::string file;
    Recovery result;
  };
  const Case cases[] = {
      {"file old", genuine, old_bytes, Recovery::Finished},
      {"file new", genuine, new_bytes, Recovery::Finished},
      {"torn in place", genuine, "first\r\n2ndond\r\n", Recovery::Finished},
      {"extended with zeros", genuine, old_bytes + std::string(3, '\0'), Recovery::Finished},
      {"replaced by hand", genuine, "restored\r\n", Recovery::SetAside},
      {"longer than both", genuine, new_bytes + "x", Recovery::SetAside},
      {"made for another file", SideCopyFor("other\r\n", 0, "planted\r\n"), old_bytes, Recovery::SetAside},
      {"earlier format", earlier_format, old_bytes, Recovery::SetAside},
      {"damaged", damaged, old_bytes, Recovery::NothingPending},
  };
  for (const Case& c : cases) {
    for (const bool program_checks_first : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (program_checks_first ? ", program's check" : ", open"));
      WriteBytes(path_, c.file);
      WriteBytes(side_, c.side);
      Recovery expected = c.result;
      if (program_checks_first) {
        const std::optional<std::string> aside = platform::SetAsideForeignSideCopy(path_.c_str());
        EXPECT_EQ(aside.has_value(), c.result == Recovery::SetAside);
        if (aside) expected = Recovery::NothingPending;
      }
      UniqueFile file(platform::OpenFile(path_.c_str(), FileOpen::ReadWriteExisting));
      const bool applies = expected == Recovery::Finished;
      EXPECT_EQ(platform::PendingContents(file.get(), c.file).has_value(), applies);
      EXPECT_EQ(platform::FinishPendingRewrite(file.get()), expected);
      EXPECT_EQ(Contents(file.get()), applies ? new_bytes : c.file);
      EXPECT_FALSE(platform::PathExists(side_.c_str()));
      std::vector<std::filesystem::path> aside;
      for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        if (entry.path().filename() != "data.csv") aside.push_back(entry.path());
      }
      ASSERT_EQ(aside.size(), c.result == Recovery::SetAside ? 1u : 0u);
      if (aside.empty()) continue;
      const std::string name = aside[0].filename().string();
      EXPECT_TRUE(name.starts_with("data.csv.pending.") && name.ends_with("-refused") && name.size() == 40) << name;
      EXPECT_EQ(ReadBytes(aside[0].string()), c.side);
      std::filesystem::remove(aside[0]);
    }
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
