// The shipped library against a scripted peer on a pseudo-terminal, through
// the real POSIX serial code: what goes over the line while opening, and how
// the library lives with a line that answers wrongly, too much, or not at
// all. The peer knows no secured session: its plain 90 00 to the key state
// query is malformed (0x2000700), so every opening here ends there, after
// the reader was asked back to 9600 bit/s. Openings that succeed are tested
// against the simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cardlib/Corvex.h"
#include "tests/support/environment.h"
#include "tests/support/pty_peer.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace testing_support;
using Strings = std::vector<std::string>;

const Strings kOpening = {kReaderCheck, kSpeed115200, kReset, kModeOn, kSetup, kKeyState, kSpeed9600};

class PtyDevice : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN); }
  void TearDown() override { GenCloseDevice(); }

  TempDir dir;
  ScopedEnvironment registry{"PELLAM_REGISTRY", dir.file("registry.reg")};
};

TEST_F(PtyDevice, FoundThroughTheRegistryAndOpenedFrameByFrame) {
  PtyPeer peer;
  ASSERT_TRUE(peer.ok());
  WriteBytes(dir.file("registry.reg"),
             "Windows Registry Editor Version 5.00\n\n"
             "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum]\n"
             "\"0\"=\"USB\\\\VID_0000&PID_0000\\\\TEST\"\n"
             "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\TEST]\n"
             "\"FriendlyName\"=\"DENSO WAVE USB-SER Comm. Port (COM7)\"\n"
             "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
                 peer.path() + "\"=\"COM7\"\n");
  EXPECT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_PROTOCOL_FAILURE);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000700);
  EXPECT_EQ(peer.Received(), kOpening);
  EXPECT_EQ(GenSetAllKey(), CORVEX_NOT_OPEN);
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);
}

// One frame of the opening answered otherwise (resends and refusals are the
// link's own, tested on a scripted port); then, unless the line is
// gone, a second opening on the same line must find the port closed again
// and no leftover bytes: it goes as far as a plain one.
TEST_F(PtyDevice, OpeningWithAnOddAnswer) {
  struct Case {
    const char* name;
    const char* request;
    PeerReply reply;
    std::int32_t status;
    std::int32_t detail;
    Strings frames;
  };
  const std::vector<Case> cases = {
      {"key state of the wrong length",
       kKeyState,
       {ReplyFrame(0x00, Hex("01 01 01 01 90 00"))},
       CORVEX_PROTOCOL_FAILURE,
       0x2000700,
       kOpening},
      {"key state refused", kKeyState, {ReplyFrame(0x00, Hex("6A 82"))}, CORVEX_READER_NOT_FOUND, 0x2116A82, kOpening},
      {"reply larger than the buffer",
       kReaderCheck,
       {ReplyFrame(0x00, Bytes(1100, 0x90))},
       CORVEX_BUFFER_TOO_SMALL,
       0x2000002,
       {kReaderCheck}},
      {"reader disappears", kSpeed115200, {{}, true}, CORVEX_PORT_FAILURE, 0x2000019, {kReaderCheck, kSpeed115200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PtyPeer peer;
    ASSERT_TRUE(peer.ok());
    peer.Answer(Hex(c.request), c.reply);
    EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), c.status);
    EXPECT_EQ(GenGetLastErrorDetail(), c.detail);
    EXPECT_EQ(peer.Received(), c.frames);
    if (c.reply.hang_up) continue;
    peer.ClearReceived();
    EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE);
    EXPECT_EQ(peer.Received(), kOpening);
  }
}

}  // namespace
