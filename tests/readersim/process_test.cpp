// The simulator as a process: its pseudo-terminal through real termios, its
// control commands, its faults on the line, and its state file.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "tests/readersim/test_host.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using readersim::Bytes;
using readersim_test::TestHost;
using Clock = std::chrono::steady_clock;
using Simulator = testing_support::SimulatorProcess;

// The host's end of the line: the link opened as a raw serial port.
class Port {
 public:
  explicit Port(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) return;
    termios settings{};
    ::tcgetattr(fd_, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B115200);
    ::tcsetattr(fd_, TCSANOW, &settings);
  }
  ~Port() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  // Reads up to `count` bytes, waiting at most until `deadline`; fewer on
  // timeout or when the other end went away.
  Bytes Read(std::size_t count, Clock::time_point deadline) {
    Bytes data;
    while (data.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd entry{fd_, POLLIN, 0};
      if (::poll(&entry, 1, static_cast<int>(left)) <= 0) break;
      std::uint8_t buffer[1024];
      const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - data.size()));
      if (n <= 0) break;
      data.insert(data.end(), buffer, buffer + n);
      ++reads_;
    }
    return data;
  }

  // One frame out, one reply frame back (within a second), like a host's framed read.
  std::optional<Bytes> Exchange(const Bytes& frame) {
    if (::write(fd_, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return std::nullopt;
    const auto deadline = Clock::now() + 1s;
    Bytes reply = Read(4, deadline);
    if (reply.size() < 4) return std::nullopt;
    const std::size_t length = (reply[1] << 8) | reply[2];
    const Bytes rest = Read(length, deadline);
    reply.insert(reply.end(), rest.begin(), rest.end());
    if (reply.size() != length + 4) return std::nullopt;
    return reply;
  }

  int reads() const { return reads_; }

 private:
  int fd_ = -1;
  int reads_ = 0;
};

TestHost HostOn(Port& port) {
  return TestHost([&port](const Bytes& frame) { return port.Exchange(frame); });
}

// Each host session gets a fresh port, without software flow control: a host
// that keeps the flow control it finds (as a Windows host keeps the driver's)
// must not lose the bytes 0x11 and 0x13 of a reply. A split reply comes in
// pieces (that the host still assembles it, and that the other line faults
// act, the card library's session tests show).
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
    TestHost host = HostOn(port);
    ASSERT_TRUE(host.Prepare());
    EXPECT_NE(std::filesystem::read_symlink(sim.link()), first);
  }
  Port again(sim.link());
  TestHost host = HostOn(again);
  ASSERT_TRUE(host.Prepare());
  EXPECT_TRUE(sim.Stats()["violations"].empty());

  ASSERT_TRUE(sim.Do("fault split 3 40"));
  const int reads_before = again.reads();
  const auto split = again.Exchange(readersim_test::Frame(0x08, {0x00, 0x01, 0x00, 0x00, 0x01}));
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(*split, readersim_test::Hex("00 00 02 90 00 92"));
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
    Port port(sim.link());
    TestHost host = HostOn(port);
    ASSERT_TRUE(host.Open(readersim::DefaultKeys()));  // provisions the blank reader
    EXPECT_EQ(sim.Stats()["commands"]["reader:85"], 2);
    host.Close();
  }
  // Restarted: the card, the card on the reader and the provisioned reader are back.
  Simulator sim(READERSIM_PATH, dir.path().string(), {"--line-timing"});
  ASSERT_TRUE(sim.ok());
  const nlohmann::json dump = sim.Dump("alice");
  EXPECT_EQ(dump["user_id"], "alice");
  EXPECT_EQ(dump["password"], "secret");
  Port port(sim.link());
  TestHost host = HostOn(port);
  ASSERT_TRUE(host.Open(readersim::DefaultKeys()));
  EXPECT_TRUE(host.Secured(readersim_test::PollingCommand()).has_value());
  EXPECT_TRUE(host.Close());
  EXPECT_EQ(sim.Stats()["commands"]["reader:85"], nullptr);  // already provisioned
  EXPECT_TRUE(sim.Stats()["violations"].empty());
}

}  // namespace
