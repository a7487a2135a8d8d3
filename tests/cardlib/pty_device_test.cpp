// The shipped library against a scripted peer on a pseudo-terminal, through
// the real POSIX serial code: what goes over the line while opening, and how
// the library lives with a line that answers late, too much, twice, or not at
// all. The peer knows no secured session: its plain 90 00 to the key state
// query is malformed (0x2000700), so every opening here ends there, after
// the reader was asked back to 9600 bit/s. Openings that succeed are tested
// against the simulator.
#include <termios.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cardlib/Corvex.h"
#include "platform/serial_port.h"
#include "tests/support/environment.h"
#include "tests/support/pty_peer.h"
#include "tests/support/reader_frames.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::PeerBytes;
using testing_support::PeerHex;
using testing_support::PeerReply;
using Strings = std::vector<std::string>;
using testing_support::kKeyState;
using testing_support::kModeOn;
using testing_support::kReaderCheck;
using testing_support::kReset;
using testing_support::kSetup;
using testing_support::kSpeed115200;
using testing_support::kSpeed9600;

const Strings kOpening = {kReaderCheck, kSpeed115200, kReset, kModeOn, kSetup, kKeyState, kSpeed9600};

PeerReply Whole(const PeerBytes& bytes) { return PeerReply{{bytes}, {}, false}; }

[[maybe_unused]] Strings operator+(Strings a, const Strings& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class PtyDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);
  }
  void TearDown() override { GenCloseDevice(); }

  Strings Received() const {
    Strings frames;
    for (const PeerBytes& frame : peer.Received()) {
      std::string text;
      char item[4];
      for (const std::uint8_t byte : frame) {
        std::snprintf(item, sizeof item, "%02X", byte);
        if (!text.empty()) text += ' ';
        text += item;
      }
      frames.push_back(text);
    }
    return frames;
  }

  void WriteRegistry(const std::string& body) {
    testing_support::WriteBytes(dir.file("registry.reg"), "Windows Registry Editor Version 5.00\n\n" + body);
  }
  std::string SerialMap(const char* port) const {
    return "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" + peer.path() + "\"=\"" + port + "\"\n";
  }

  testing_support::PtyPeer peer;
  testing_support::TempDir dir;
  testing_support::ScopedEnvironment registry{"PELLAM_REGISTRY", dir.file("registry.reg")};
};

TEST_F(PtyDevice, OpeningFrameByFrameUpToTheSecuredSession) {
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000700);
  EXPECT_EQ(Received(), kOpening);

  termios line{};
  ASSERT_TRUE(peer.LineSettings(line));
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(line.c_iflag & INPCK);
  EXPECT_FALSE(line.c_lflag & (ICANON | ECHO)) << "raw";
  EXPECT_EQ(GenSetAllKey(), CORVEX_NOT_OPEN);
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);
}

TEST_F(PtyDevice, KeyStateOfTheWrongLength) {
  peer.Answer(PeerHex(kKeyState), Whole(testing_support::ReplyFrame(0x00, PeerHex("01 01 01 01 90 00"))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000700);
  peer.ClearReceived();
  peer.Answer(PeerHex(kKeyState), Whole(testing_support::ReplyFrame(0x00, PeerHex("6A 82"))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_READER_NOT_FOUND) << "refused while opening";
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2116A82);
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, FoundThroughTheRegistryAndAComPortName) {
  WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum]\n"
      "\"0\"=\"USB\\\\VID_0000&PID_0000\\\\TEST\"\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\TEST]\n"
      "\"FriendlyName\"=\"DENSO WAVE USB-SER Comm. Port (COM7)\"\n" +
      SerialMap("COM7"));
  EXPECT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_PROTOCOL_FAILURE);
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, SplitReplyIsAssembled) {
  peer.Answer(PeerHex(kReaderCheck),
              PeerReply{{PeerHex("00 00 02 90"), PeerHex("00"), PeerHex("92")}, std::chrono::milliseconds(40), false});
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE);
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, ReplyThatNeverCompletes) {
  peer.Answer(PeerHex(kReaderCheck), Whole(PeerHex("00 00 02 90")));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_INCOMPLETE_ANSWER);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000003);
  EXPECT_EQ(Received(), Strings{kReaderCheck});
  peer.ClearReceived();
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE) << "the port was closed again";
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, ReplyLargerThanTheBuffer) {
  peer.Answer(PeerHex(kReaderCheck), Whole(testing_support::ReplyFrame(0x00, PeerBytes(1100, 0x90))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_BUFFER_TOO_SMALL);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000002);
  peer.ClearReceived();
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE) << "no tail of it is an answer";
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, OneResendWhenTheReaderIsBusy) {
  peer.Answer(PeerHex(kReaderCheck), Whole(testing_support::ReplyFrame(0x80, PeerHex("90 00"))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PROTOCOL_FAILURE);
  EXPECT_EQ(Received(), Strings{kReaderCheck} + kOpening);

  peer.ClearReceived();
  peer.Answer(PeerHex(kReaderCheck), Whole(testing_support::ReplyFrame(0xA0, PeerHex("90 00"))), 2);
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_FAILURE) << "a status error while opening";
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2100100);
  EXPECT_EQ(Received(), (Strings{kReaderCheck, kReaderCheck}));
}

TEST_F(PtyDevice, RefusalWhilePreparingTheReader) {
  peer.Answer(PeerHex(kSetup), Whole(testing_support::ReplyFrame(0x00, PeerHex("6A 82"))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2116A82);
  EXPECT_EQ(Received(), (Strings{kReaderCheck, kSpeed115200, kReset, kModeOn, kSetup, kSpeed9600}));
}

TEST_F(PtyDevice, ReaderDisappearsWhileOpening) {
  peer.Answer(PeerHex(kSpeed115200), PeerReply{{}, {}, true});
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_PORT_FAILURE);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000019);
}

TEST_F(PtyDevice, BusyPort) {
  platform::SerialPort holder;
  ASSERT_TRUE(holder.Open(peer.path().c_str()));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000013);
  EXPECT_TRUE(Received().empty());
}

}  // namespace
