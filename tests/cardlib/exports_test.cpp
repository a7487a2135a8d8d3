// The argument and open checks of every export, on a closed device.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cardlib/Corvex.h"
#include "tests/cardlib/export_table.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ExportCase;
using testing_support::ExportCases;
using testing_support::WhenOpen;

constexpr std::int32_t kInvalidArgumentDetail = 0x10010000;
constexpr std::int32_t kBufferTooSmallDetail = 0x10020000;
constexpr std::int32_t kNotOpenDetail = 0x10000200;

class ClosedDevice : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN) << "a test left the device open"; }

  // Discovery on Linux reads this empty stand-in registry.
  testing_support::TempDir dir;
  testing_support::ScopedEnvironment registry{"PELLAM_REGISTRY", dir.file("registry.reg")};
};

TEST_F(ClosedDevice, BadArgumentsComeBeforeTheOpenCheck) {
  std::set<std::string> names;
  for (const ExportCase& c : ExportCases()) names.insert(c.name);
  EXPECT_EQ(names.size(), 50u) << "every export once";
  EXPECT_EQ(ExportCases().size(), 50u);
  for (const ExportCase& c : ExportCases()) {
    for (std::size_t i = 0; i < c.invalid.size(); ++i) {
      EXPECT_EQ(c.invalid[i](), CORVEX_INVALID_ARGUMENT) << c.name << " invalid call " << i;
      EXPECT_EQ(GenGetLastErrorDetail(), kInvalidArgumentDetail) << c.name << " invalid call " << i;
    }
    for (std::size_t i = 0; i < c.too_small.size(); ++i) {
      EXPECT_EQ(c.too_small[i](), CORVEX_BUFFER_TOO_SMALL) << c.name << " small buffer " << i;
      EXPECT_EQ(GenGetLastErrorDetail(), kBufferTooSmallDetail) << c.name << " small buffer " << i;
    }
  }
}

TEST_F(ClosedDevice, ValidCallsFindTheDeviceClosed) {
  for (const ExportCase& c : ExportCases()) {
    if (!c.valid) continue;
    GenOpenDevice("pr300", nullptr);  // leaves another detail behind
    EXPECT_EQ(c.valid(), CORVEX_NOT_OPEN) << c.name;
    EXPECT_EQ(GenGetLastErrorDetail(), kNotOpenDetail) << c.name;
  }
}

TEST_F(ClosedDevice, OpenFailures) {
  const std::string missing = dir.file("no-such-port");
  EXPECT_EQ(GenOpenDevice(nullptr, missing.c_str()), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000013);

  const std::string longest(511, 'x');
  EXPECT_EQ(GenOpenDevice(nullptr, longest.c_str()), CORVEX_READER_NOT_FOUND) << "511 bytes are a valid path";

  // A file opens, as CreateFileA opens it, but cannot be purged like a port.
  testing_support::WriteBytes(dir.file("plain-file"), "not a port");
  EXPECT_EQ(GenOpenDevice(nullptr, dir.file("plain-file").c_str()), CORVEX_PORT_FAILURE);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000017);
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);
}

}  // namespace
