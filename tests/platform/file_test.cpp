#include "platform/file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace {

using platform::FileOpen;
using platform::UniqueFile;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

TEST(UnsharedFile, SecondOpenFailsWhileTheFirstIsHeldAndSharedReadersOnlyShare) {
  TempDir dir;
  const std::string path = dir.file("held.csv");
  WriteBytes(path, "abc\r\n");

  for (FileOpen first : {FileOpen::ReadExisting, FileOpen::ReadWriteExisting, FileOpen::WriteCreate}) {
    UniqueFile held(platform::OpenFile(path.c_str(), first));
    ASSERT_TRUE(held.valid());
    for (FileOpen second : {FileOpen::ReadShared, FileOpen::ReadExisting, FileOpen::ReadWriteExisting,
                            FileOpen::WriteCreate, FileOpen::ReadWriteCreate}) {
      UniqueFile other(platform::OpenFile(path.c_str(), second));
      EXPECT_FALSE(other.valid()) << "first " << static_cast<int>(first) << ", second " << static_cast<int>(second);
    }
    held.reset();
    UniqueFile again(platform::OpenFile(path.c_str(), FileOpen::ReadExisting));
    EXPECT_TRUE(again.valid());
  }
  // Shared readers coexist, but block an unshared open.
  UniqueFile one(platform::OpenFile(path.c_str(), FileOpen::ReadShared));
  UniqueFile two(platform::OpenFile(path.c_str(), FileOpen::ReadShared));
  EXPECT_TRUE(one.valid());
  EXPECT_TRUE(two.valid());
  EXPECT_FALSE(UniqueFile(platform::OpenFile(path.c_str(), FileOpen::ReadExisting)).valid());
}

TEST(UnsharedFile, ExistingModesNeverCreateAndCreateModesNeverEmpty) {
  TempDir dir;
  const std::string path = dir.file("list.csv");
  EXPECT_FALSE(UniqueFile(platform::OpenFile(path.c_str(), FileOpen::ReadExisting)).valid());
  EXPECT_FALSE(UniqueFile(platform::OpenFile(path.c_str(), FileOpen::ReadWriteExisting)).valid());
  EXPECT_FALSE(platform::PathExists(path.c_str()));

  WriteBytes(path, "0123456789");
  {
    UniqueFile file(platform::OpenFile(path.c_str(), FileOpen::WriteCreate));
    ASSERT_TRUE(file.valid());
    ASSERT_TRUE(platform::WriteToFile(file.get(), "ab", 2));
  }
  EXPECT_EQ(ReadBytes(path), "ab23456789");
}

}  // namespace
