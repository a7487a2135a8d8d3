// The shipped library against a scripted peer on a pseudo-terminal, through
// the real POSIX serial code: what goes over the line, and how the library
// lives with a line that answers late, too much, twice, or not at all.
#include <termios.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cardlib/Corvex.h"
#include "platform/serial_port.h"
#include "tests/cardlib/export_table.h"
#include "tests/support/environment.h"
#include "tests/support/pty_peer.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::PeerBytes;
using testing_support::PeerHex;
using testing_support::PeerReply;
using Strings = std::vector<std::string>;

const char* const kReaderCheck = "08 00 05 00 01 00 00 01 0D";
const char* const kSpeed115200 = "08 00 04 00 07 13 00 18";
const char* const kSpeed9600 = "08 00 04 00 07 00 00 0B";
const char* const kReset = "28 00 04 00 01 00 00 2D";
const char* const kModeOn = "28 00 04 00 11 01 00 3C";
const char* const kSetup = "28 00 04 00 13 04 05 3E";
const char* const kModeOff = "28 00 04 00 11 00 00 3D";
const Strings kOpening = {kReaderCheck, kSpeed115200, kReset, kModeOn, kSetup};
const Strings kClosing = {kModeOff, kSpeed9600};

PeerBytes Reply(std::uint8_t status, const PeerBytes& payload) {
  PeerBytes frame{status, static_cast<std::uint8_t>(payload.size() >> 8), static_cast<std::uint8_t>(payload.size())};
  frame.insert(frame.end(), payload.begin(), payload.end());
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : frame) sum ^= byte;
  frame.push_back(sum);
  return frame;
}

PeerReply Whole(const PeerBytes& bytes) { return PeerReply{{bytes}, {}, false}; }

Strings operator+(Strings a, const Strings& b) {
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
        text += (text.empty() ? "" : " ") + std::string(item);
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

TEST_F(PtyDevice, OpeningAndClosingFrameByFrame) {
  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK);
  EXPECT_EQ(Received(), kOpening);

  termios line{};
  ASSERT_TRUE(peer.LineSettings(line));
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_TRUE(line.c_iflag & INPCK);
  EXPECT_FALSE(line.c_lflag & (ICANON | ECHO)) << "raw";

  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_ALREADY_OPEN);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x10000100);
  EXPECT_EQ(Received().size(), kOpening.size()) << "a second open sends nothing";

  ASSERT_EQ(GenCloseDevice(), CORVEX_OK);
  EXPECT_EQ(Received(), kOpening + kClosing);
  ASSERT_TRUE(peer.LineSettings(line));
  EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B9600));
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);

  ASSERT_EQ(GenOpenDevice("PR300", peer.path().c_str()), CORVEX_OK) << "and again";
}

TEST_F(PtyDevice, OperationsOnAnOpenDevice) {
  EXPECT_EQ(GenOpenDevice("pr300", nullptr), CORVEX_READER_NOT_FOUND);
  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK);
  const std::size_t traffic = Received().size();

  EXPECT_EQ(GenSetAllKey(), CORVEX_OK);
  std::int32_t table[CORVEX_MAX_LENGTH_ENTRIES] = {};
  std::int32_t first = 0;
  std::int32_t second = 0;
  ASSERT_EQ(GenGetMaxLengthEx(table, &first, &second), CORVEX_OK);
  const std::int32_t expected[CORVEX_MAX_LENGTH_ENTRIES] = {128, 256, 16, 1, 64, 128, 128, 128, 2, 4};
  for (int i = 0; i < CORVEX_MAX_LENGTH_ENTRIES; ++i) EXPECT_EQ(table[i], expected[i]) << i;
  EXPECT_EQ(first, 16);
  EXPECT_EQ(second, 10);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x8000004) << "successes leave the last failure's detail";

  for (const testing_support::ExportCase& c : testing_support::ExportCases()) {
    for (const auto& invalid : c.invalid) EXPECT_EQ(invalid(), CORVEX_INVALID_ARGUMENT) << c.name;
    if (c.when_open == testing_support::WhenOpen::NotImplemented) {
      EXPECT_EQ(c.valid(), CORVEX_FAILURE) << c.name;
      EXPECT_EQ(GenGetLastErrorDetail(), CORVEX_DETAIL_NOT_IMPLEMENTED) << c.name;
    } else if (c.when_open == testing_support::WhenOpen::Succeeds) {
      EXPECT_EQ(c.valid(), CORVEX_OK) << c.name;
    }
  }
  EXPECT_EQ(Received().size(), traffic) << "none of these talks to the reader yet";
}

TEST_F(PtyDevice, FoundThroughTheRegistryAndAComPortName) {
  WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum]\n"
      "\"0\"=\"USB\\\\VID_0000&PID_0000\\\\TEST\"\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\TEST]\n"
      "\"FriendlyName\"=\"DENSO WAVE USB-SER Comm. Port (COM7)\"\n" +
      SerialMap("COM7"));
  ASSERT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_OK);
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, UsbReaderUnpluggedBeforeASense) {
  const std::string usb =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1\\2]\n"
      "\"DeviceDesc\"=\"DENSO WAVE USB Device (COM5)\"\n" +
      SerialMap("COM5");
  WriteRegistry(
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\dwusb\\Enum]\n\"0\"=\"USB\\\\VID_1\\\\2\"\n" + usb);
  ASSERT_EQ(GenOpenDevice(nullptr, nullptr), CORVEX_OK);
  std::int32_t present = -1;
  const std::uint8_t code[2] = {0x81, 0x65};
  EXPECT_EQ(GenSenseCard(&present, code, 1), CORVEX_FAILURE) << "present: on to the card work, not yet built";
  EXPECT_EQ(GenGetLastErrorDetail(), CORVEX_DETAIL_NOT_IMPLEMENTED);

  WriteRegistry(usb);  // the driver's instance is gone
  const std::size_t traffic = Received().size();
  EXPECT_EQ(GenSenseCard(&present, code, 1), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x8000004);
  EXPECT_EQ(present, -1);
  EXPECT_EQ(Received().size(), traffic);
}

TEST_F(PtyDevice, SplitReplyIsAssembled) {
  peer.Answer(PeerHex(kReaderCheck),
              PeerReply{{PeerHex("00 00 02 90"), PeerHex("00"), PeerHex("92")}, std::chrono::milliseconds(40), false});
  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK);
  EXPECT_EQ(Received(), kOpening);
}

TEST_F(PtyDevice, ReplyThatNeverCompletes) {
  peer.Answer(PeerHex(kReaderCheck), Whole(PeerHex("00 00 02 90")));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_INCOMPLETE_ANSWER);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000003);
  EXPECT_EQ(Received(), Strings{kReaderCheck});
  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK) << "the port was closed again";
}

TEST_F(PtyDevice, ReplyLargerThanTheBuffer) {
  peer.Answer(PeerHex(kReaderCheck), Whole(Reply(0x00, PeerBytes(1100, 0x90))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_BUFFER_TOO_SMALL);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000002);
  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK) << "no tail of it is read as an answer";
}

TEST_F(PtyDevice, OneResendWhenTheReaderIsBusy) {
  peer.Answer(PeerHex(kReaderCheck), Whole(Reply(0x80, PeerHex("90 00"))));
  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK);
  EXPECT_EQ(Received(), Strings{kReaderCheck} + kOpening);
  ASSERT_EQ(GenCloseDevice(), CORVEX_OK);

  peer.ClearReceived();
  peer.Answer(PeerHex(kReaderCheck), Whole(Reply(0xA0, PeerHex("90 00"))), 2);
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_FAILURE) << "a status error while opening";
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2100100);
  EXPECT_EQ(Received(), (Strings{kReaderCheck, kReaderCheck}));
}

TEST_F(PtyDevice, RefusalsWhileOpeningAndClosing) {
  peer.Answer(PeerHex(kSetup), Whole(Reply(0x00, PeerHex("6A 82"))));
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2116A82);
  EXPECT_EQ(Received(), kOpening + Strings{kSpeed9600});

  ASSERT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK);
  peer.Answer(PeerHex(kSpeed9600), Whole(Reply(0x00, PeerHex("6A 82"))));
  EXPECT_EQ(GenCloseDevice(), CORVEX_CLOSE_REFUSED);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2216A82);
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN) << "the port was closed all the same";
  EXPECT_EQ(GenOpenDevice(nullptr, peer.path().c_str()), CORVEX_OK);
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
