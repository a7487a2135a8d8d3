#include "cardlib/device.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "tests/cardlib/map_registry.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using namespace corvex;
using testing_support::Bytes;
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

// The scripted port knows no secured session: a plain 90 00 to the key state
// query is malformed, so these openings end there. Openings that succeed are
// tested against the simulator.
TEST_F(DeviceTest, DiscoveredPortOpensUpToTheSecuredSession) {
  InstallUsbReader();
  ReplyOk(7);
  EXPECT_EQ(device.Open("PR300", nullptr), 0x1000000);
  EXPECT_EQ(device.LastErrorDetail(), kReaderProtocol);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(port.log.front(), "open \\\\.\\COM4");
  EXPECT_EQ(port.log.back(), "close");
  EXPECT_EQ(device.DiscoveryKindOfPort(), kUsbDriverPort);
  EXPECT_EQ(port.Writes().back(), "08 00 04 00 07 00 00 0B") << "the reader is asked back to 9600 bit/s";
}

TEST_F(DeviceTest, FailuresAreRecorded) {
  EXPECT_EQ(device.Open(nullptr, nullptr), 0x500);
  EXPECT_EQ(device.LastErrorDetail(), kReaderNotFound);
  EXPECT_EQ(device.DiscoveryKindOfPort(), kNoPort);
  EXPECT_EQ(device.Open("pr300", "p"), 0x500);

  port.Reply(ReplyFrame(0x00, Hex("6A 82")));
  EXPECT_EQ(device.Open(nullptr, "p"), 0x500);
  EXPECT_EQ(device.LastErrorDetail(), 0x2116A82u);
  EXPECT_FALSE(device.IsOpen());
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

// Every failed opening with a port that will not close: the device stays
// open with its port, so that opening answers 0x100 and a closing can finish.
TEST_F(DeviceTest, FailedOpeningsFollowThePortThatWillNotClose) {
  struct Case {
    const char* name;
    int ok_replies;  // then silence
    bool refused_settings;
    std::int32_t status;
  };
  const Case cases[] = {
      {"port configuration", 0, true, 0x900},
      {"reader preparation", 3, false, 0x900},
      {"secured session", 6, false, 0x1000000},
  };
  for (const Case& c : cases) {
    ScriptedPort stuck;
    Device opened{stuck, registry};
    stuck.faults.close = true;
    stuck.faults.write_settings = c.refused_settings;
    for (int i = 0; i < c.ok_replies; ++i) stuck.Reply(OkReply());
    EXPECT_EQ(opened.Open(nullptr, "p"), c.status) << c.name;
    EXPECT_TRUE(stuck.IsOpen()) << c.name;
    EXPECT_TRUE(opened.IsOpen()) << c.name;
    EXPECT_EQ(opened.Open(nullptr, "p"), 0x100) << c.name;
    stuck.faults.close = false;
    opened.Close();
    EXPECT_FALSE(stuck.IsOpen()) << c.name;
    EXPECT_FALSE(opened.IsOpen()) << c.name;
  }
}

// An exception inside an operation is answered as a failure of its own, and
// the card buffers are wiped all the same.
TEST_F(DeviceTest, ExceptionsEndAsFailures) {
  struct Case {
    const char* name;
    std::function<void()> raise;
    Detail detail;
  };
  const Case cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); }, kOutOfMemory},
      {"library exception", [] { throw std::length_error("path"); }, kInternalFailure},
      {"anything else", [] { throw 7; }, kInternalFailure},
  };
  std::uint8_t* written = device.card().ClearWriteBuffer();
  for (const Case& c : cases) {
    const std::int32_t status = device.Run([&] {
      written[0] = 0x5A;
      c.raise();
      return 0;
    });
    EXPECT_EQ(status, 0x7F000000) << c.name;
    EXPECT_EQ(device.LastErrorDetail(), c.detail) << c.name;
    EXPECT_EQ(written[0], 0) << c.name;
  }
}

// A reader that trickles a reply it announces far too long, within the
// port's timeouts, cannot hold one function past its time limit (on the
// port's virtual clock); without the limit the drain alone may take minutes.
TEST_F(DeviceTest, NoFunctionOutlastsItsTimeLimit) {
  static_assert(kFunctionTimeLimit == 60'000, "the figure Corvex.h states");
  static_assert(kReplyTimeLimit > kFunctionTimeLimit);
  port.Trickle(ReplyFrame(0x00, Bytes(0xFFFF, 0x55)), kFrameOverhead, 40);
  EXPECT_EQ(device.Run([&] { return device.Open(nullptr, "p"); }), 0x20000);
  EXPECT_EQ(device.LastErrorDetail(), kReplyTooLarge);
  EXPECT_GT(port.now, 40'000u) << "the reader was given its time";
  EXPECT_LE(port.now, kFunctionTimeLimit);
  EXPECT_FALSE(device.IsOpen());
}

}  // namespace
