#include "cardlib/device.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

#include "cardlib/card_data.h"
#include "tests/cardlib/map_registry.h"
#include "tests/cardlib/scripted_port.h"
#include "tests/cardlib/scripted_reader.h"

namespace {

using namespace corvex;
using testing_support::Bytes;
using testing_support::MapRegistry;
using testing_support::OkReply;
using testing_support::ReplyFrame;
using testing_support::ScriptedPort;
using testing_support::ScriptedReader;
using Strings = std::vector<std::string>;

class DeviceTest : public ::testing::Test {
 protected:
  // The scripted reader answers every frame that finds no scripted reply.
  DeviceTest() {
    port.responder = [this](const Bytes& frame) { return reader.Answer(frame); };
  }

  ScriptedReader reader;
  ScriptedPort port;
  MapRegistry registry;
  Device device{port, registry};
};

// Every failed opening with a port that will not close: the device stays
// open with its port, so that opening answers 0x100 and a closing can finish.
TEST_F(DeviceTest, FailedOpeningsFollowThePortThatWillNotClose) {
  struct Case {
    const char* name;
    int ok_replies;  // then silence, or the scripted reader refusing `refused`
    bool refused_settings;
    std::int32_t status;
    const char* refused = nullptr;
  };
  const Case cases[] = {
      {"port configuration", 0, true, 0x900},
      {"reader preparation", 3, false, 0x900},
      {"secured session", 6, false, 0x1000000},
      {"card key registration", 0, false, 0x50000, "28 00 65 00 89"},
  };
  for (const Case& c : cases) {
    ScriptedPort stuck;
    Device opened{stuck, registry};
    stuck.faults.close = true;
    stuck.faults.write_settings = c.refused_settings;
    for (int i = 0; i < c.ok_replies; ++i) stuck.Reply(OkReply());
    if (c.refused != nullptr) {
      reader.refused_prefix = c.refused;
      stuck.responder = [this](const Bytes& frame) { return reader.Answer(frame); };
    }
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
  static_assert(kReplyTimeLimit > kFunctionTimeLimit);
  port.Trickle(ReplyFrame(0x00, Bytes(0xFFFF, 0x55)), kFrameOverhead, 40);
  EXPECT_EQ(device.Run([&] { return device.Open(nullptr, "p"); }), 0x20000);
  EXPECT_EQ(device.LastErrorDetail(), kReplyTooLarge);
  EXPECT_GT(port.now, 40'000u) << "the reader was given its time";
  EXPECT_LE(port.now, kFunctionTimeLimit);
  EXPECT_FALSE(device.IsOpen());
}

// A refused card key registration closes the link again: the reader put to
// rest and asked back to 9600 bit/s.
TEST_F(DeviceTest, RefusedKeyRegistration) {
  reader.refused_prefix = "28 00 65 00 89";
  EXPECT_EQ(device.Open(nullptr, "p"), 0x50000);
  EXPECT_EQ(device.LastErrorDetail(), 0x8016A80u);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_FALSE(port.IsOpen());
  const Strings writes = port.Writes();
  EXPECT_EQ(Strings(writes.end() - 2, writes.end()), (Strings{testing_support::kModeOff, testing_support::kSpeed9600}));
}

TEST_F(DeviceTest, ClosingFailures) {
  ASSERT_EQ(device.Open(nullptr, "p"), 0) << std::hex << device.LastErrorDetail();
  port.faults.close = true;
  EXPECT_EQ(device.Close(), 0x300);
  EXPECT_EQ(device.LastErrorDetail(), 0x2000014u);
  EXPECT_TRUE(device.IsOpen());
  std::int32_t present = 0;
  const std::uint8_t system_code[2] = {0x81, 0x65};
  EXPECT_EQ(SenseCard(device.card(), &present, system_code, 1), kReaderAuthentication)
      << "the session ended all the same";
  port.faults.close = false;
  EXPECT_EQ(device.Close(), 0);
  EXPECT_FALSE(device.IsOpen());
}

}  // namespace
