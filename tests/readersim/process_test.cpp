// The simulator as a process: its pseudo-terminal through real termios, its
// control commands, its faults on the line, and its state file.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cardlib/reader_session.h"
#include "cardlib/system_port.h"
#include "platform/serial_port.h"
#include "tests/support/reader_frames.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::Bytes;
using testing_support::Hex;
using Simulator = testing_support::SimulatorProcess;

// The host's end of the line: the link opened as a serial port, raw; a frame
// out and its reply frame back, each read ending when the bytes stop for
// 20 ms or a second after it began. Every read that brought bytes is counted.
class Port {
 public:
  explicit Port(const std::string& path) {
    ok_ = port_.Open(path.c_str()) && port_.WriteTimeouts(platform::SerialTimeouts{20, 0, 1000, 0, 0});
  }
  bool ok() const { return ok_; }
  int reads() const { return reads_; }

  std::optional<Bytes> Exchange(const Bytes& frame) {
    std::size_t written = 0;
    if (!port_.Write(frame.data(), frame.size(), written) || written != frame.size()) return std::nullopt;
    Bytes reply;
    if (!ReadUpTo(reply, 4)) return std::nullopt;
    if (!ReadUpTo(reply, 4 + ((reply[1] << 8) | reply[2]))) return std::nullopt;
    return reply;
  }

 private:
  bool ReadUpTo(Bytes& data, std::size_t size) {
    std::size_t got = 1;
    while (data.size() < size && got > 0) {
      const std::size_t had = data.size();
      data.resize(size);
      if (!port_.Read(data.data() + had, size - had, got)) return false;
      data.resize(had + got);
      reads_ += got > 0 ? 1 : 0;
    }
    return data.size() == size;
  }

  platform::SerialPort port_;
  bool ok_ = false;
  int reads_ = 0;
};

// The reader's preparation, sent clear as every host starts; whether each
// step answered 90 00.
bool Prepare(Port& port) {
  using namespace testing_support;
  for (const char* frame : {kReaderCheck, kSpeed115200, kReset, kModeOn, kSetup}) {
    const std::optional<Bytes> reply = port.Exchange(Hex(frame));
    if (!reply || reply->size() < 6 || (*reply)[reply->size() - 3] != 0x90) return false;
  }
  return true;
}

// The card library's host end: the link opened and prepared, the secured
// session started (a blank reader provisioned first) and the card keys
// registered.
struct CardLibraryHost {
  bool Open(const std::string& path) {
    return link.Open(path.c_str()) == corvex::kLinkOk && session.Start() == corvex::kLinkOk &&
           session.RegisterCardKeys() == corvex::kCardOk;
  }
  bool Polls() {
    const Bytes frame = testing_support::ReplyFrame(0x2C, {0x00, 0x81, 0x65, 0x01, 0x00});
    std::uint8_t reply[corvex::kFrameMax];
    std::size_t length = sizeof reply;
    return session.Exchange(frame.data(), frame.size(), reply, length) == corvex::kLinkOk;
  }

  corvex::SystemPort port;
  corvex::ReaderLink link{port};
  corvex::ReaderSession session{link};
};

// Each host session gets a fresh port without software flow control, so that a
// host keeping the flow control it finds loses no 0x11 or 0x13 of a reply. A
// split reply comes in pieces (the other line faults the card library's tests show).
TEST(SimulatorProcess, EveryHostSessionGetsAFreshRawPortAndSplitRepliesComeInPieces) {
  testing_support::TempDir dir;
  Simulator sim(READERSIM_PATH, dir.path().string());
  ASSERT_TRUE(sim.ok());
  const int fd = ::open(sim.link().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios settings{};
  ASSERT_EQ(::tcgetattr(fd, &settings), 0);
  EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u);
  ::close(fd);

  const auto first = std::filesystem::read_symlink(sim.link());
  {
    Port port(sim.link());
    ASSERT_TRUE(port.ok());
    ASSERT_TRUE(Prepare(port));
    EXPECT_NE(std::filesystem::read_symlink(sim.link()), first);
  }
  Port again(sim.link());
  ASSERT_TRUE(Prepare(again));
  EXPECT_TRUE(sim.Stats()["violations"].empty());

  ASSERT_TRUE(sim.Do("fault split 3 40"));
  const int reads_before = again.reads();
  const auto split = again.Exchange(Hex(testing_support::kReaderCheck));
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(*split, Hex("00 00 02 90 00 92"));
  EXPECT_GE(again.reads() - reads_before, 3);

  EXPECT_FALSE(sim.Do("place nobody"));
  EXPECT_FALSE(sim.Do("fault sometimes"));
  EXPECT_FALSE(sim.Do("create x json '{}'"));
}

// The state file survives a restart, here into line timing, which still answers every frame.
TEST(SimulatorProcess, StateFileSurvivesARestartIntoLineTiming) {
  testing_support::TempDir dir;
  {
    Simulator sim(READERSIM_PATH, dir.path().string(), {"--blank-reader"});
    ASSERT_TRUE(sim.ok());
    ASSERT_TRUE(sim.Do("create alice user alice secret"));
    ASSERT_TRUE(sim.Do("place alice"));
    CardLibraryHost host;
    ASSERT_TRUE(host.Open(sim.link()));  // provisions the blank reader
    EXPECT_EQ(sim.Stats()["commands"]["reader:85"], 2);
    EXPECT_EQ(host.link.Close(), corvex::kLinkOk);
  }
  // Restarted: the card, the card on the reader and the provisioned reader are back.
  Simulator sim(READERSIM_PATH, dir.path().string(), {"--line-timing"});
  ASSERT_TRUE(sim.ok());
  const nlohmann::json dump = sim.Dump("alice");
  EXPECT_EQ(dump["user_id"], "alice");
  EXPECT_EQ(dump["password"], "secret");
  CardLibraryHost host;
  ASSERT_TRUE(host.Open(sim.link()));
  EXPECT_TRUE(host.Polls());
  EXPECT_EQ(host.link.Close(), corvex::kLinkOk);
  EXPECT_EQ(sim.Stats()["commands"]["reader:85"], nullptr);  // already provisioned
  EXPECT_TRUE(sim.Stats()["violations"].empty());
}

}  // namespace
