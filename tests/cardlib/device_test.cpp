#include "cardlib/device.h"

#include <gtest/gtest.h>

#include "tests/cardlib/map_registry.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using namespace corvex;
using testing_support::Hex;
using testing_support::MapRegistry;
using testing_support::OkReply;
using testing_support::ReplyFrame;
using testing_support::ScriptedPort;

const std::string kUsbEnum = "SYSTEM\\CurrentControlSet\\Services\\dwusb\\Enum";

class DeviceTest : public ::testing::Test {
 protected:
  void InstallUsbReader() {
    registry.SetString(kUsbEnum, "0", "USB\\VID_2\\7");
    registry.SetString("SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_2\\7", "DeviceDesc", "DENSO WAVE USB Device (COM4)");
  }
  void ReplyOk(int count) {
    for (int i = 0; i < count; ++i) port.Reply(OkReply());
  }

  ScriptedPort port;
  MapRegistry registry;
  Device device{port, registry};
};

TEST_F(DeviceTest, OpensThroughDiscoveryAndRefusesASecondOpen) {
  InstallUsbReader();
  ReplyOk(5);
  ASSERT_EQ(device.Open("PR300", nullptr), 0);
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(port.log.front(), "open \\\\.\\COM4");
  EXPECT_EQ(device.DiscoveryKindOfPort(), kUsbDriverPort);
  EXPECT_EQ(device.LastErrorDetail(), 0u);

  const std::size_t traffic = port.log.size();
  EXPECT_EQ(device.Open("PR300", nullptr), 0x100);
  EXPECT_EQ(device.LastErrorDetail(), kDeviceAlreadyOpen);
  EXPECT_EQ(port.log.size(), traffic) << "nothing is sent";
}

TEST_F(DeviceTest, FailuresAreRecordedAndSuccessesLeaveThemAlone) {
  EXPECT_EQ(device.Open(nullptr, nullptr), 0x500);
  EXPECT_EQ(device.LastErrorDetail(), kReaderNotFound);
  EXPECT_EQ(device.DiscoveryKindOfPort(), kNoPort);
  EXPECT_EQ(device.Open("pr300", "p"), 0x500);

  port.Reply(ReplyFrame(0x00, Hex("6A 82")));
  EXPECT_EQ(device.Open(nullptr, "p"), 0x500);
  EXPECT_EQ(device.LastErrorDetail(), 0x2116A82u);
  EXPECT_FALSE(device.IsOpen());

  ReplyOk(5);
  ASSERT_EQ(device.Open(nullptr, "p"), 0);
  EXPECT_EQ(device.LastErrorDetail(), 0x2116A82u);
  ReplyOk(2);
  ASSERT_EQ(device.Close(), 0);
  EXPECT_EQ(device.LastErrorDetail(), 0x2116A82u);
  EXPECT_EQ(device.Close(), 0x200);
  EXPECT_EQ(device.LastErrorDetail(), kDeviceNotOpen);
}

TEST_F(DeviceTest, OpeningFailuresMapThroughThePhase) {
  port.faults.open = true;
  EXPECT_EQ(device.Open(nullptr, "p"), 0x500) << "busy or missing port";
  EXPECT_EQ(device.LastErrorDetail(), kPortOpenFailed);
  port.faults.open = false;

  port.Reply(ReplyFrame(0x81, Hex("90 00")));
  EXPECT_EQ(device.Open(nullptr, "p"), 0x7F000000);
  EXPECT_EQ(device.LastErrorDetail(), 0x2100200u);

  port.Reply(Hex("00 00 05 90 00"));  // announces 5 payload bytes, 2 arrive
  EXPECT_EQ(device.Open(nullptr, "p"), 0x1);
  EXPECT_EQ(device.LastErrorDetail(), kReplyIncomplete);

  port.faults.write_settings = true;
  EXPECT_EQ(device.Open(nullptr, "p"), 0x900);
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(DeviceTest, ReaderRefusingToIdleIsReportedAndTheDeviceClosed) {
  ReplyOk(5);
  ASSERT_EQ(device.Open(nullptr, "p"), 0);
  port.Reply(OkReply());
  port.Reply(ReplyFrame(0x00, Hex("6A 82")));
  EXPECT_EQ(device.Close(), 0x600);
  EXPECT_EQ(device.LastErrorDetail(), 0x2216A82u);
  EXPECT_FALSE(device.IsOpen()) << "its port is closed, so the device is too";
  ReplyOk(5);
  EXPECT_EQ(device.Open(nullptr, "p"), 0);
}

TEST_F(DeviceTest, PortThatWillNotCloseKeepsTheDeviceOpen) {
  ReplyOk(5);
  ASSERT_EQ(device.Open(nullptr, "p"), 0);
  port.faults.close = true;
  ReplyOk(2);
  EXPECT_EQ(device.Close(), 0x300);
  EXPECT_TRUE(device.IsOpen());
  port.faults.close = false;
  ReplyOk(2);
  EXPECT_EQ(device.Close(), 0);
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(DeviceTest, PresenceOfAUsbReader) {
  InstallUsbReader();
  ReplyOk(5);
  ASSERT_EQ(device.Open(nullptr, nullptr), 0);
  EXPECT_EQ(device.CheckReaderPresent(), 0);
  registry.Remove(kUsbEnum, "0");
  const std::size_t traffic = port.log.size();
  EXPECT_EQ(device.CheckReaderPresent(), 0x500);
  EXPECT_EQ(device.LastErrorDetail(), kReaderNotFound);
  EXPECT_EQ(port.log.size(), traffic) << "reported before anything is sent";
}

TEST_F(DeviceTest, UnloadClosesAnOpenDevice) {
  ReplyOk(7);
  ASSERT_EQ(device.Open(nullptr, "p"), 0);
  device.CloseForUnload();
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(port.log.back(), "close");
  device.CloseForUnload();  // nothing more to do
  EXPECT_EQ(device.LastErrorDetail(), 0u);
}

}  // namespace
