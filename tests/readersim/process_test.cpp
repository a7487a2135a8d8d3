// The simulator as a process: its pseudo-terminal through real termios, its
// control commands, its faults on the line, and its state file.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/readersim/test_host.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using readersim::Bytes;
using readersim_test::TestHost;
using Clock = std::chrono::steady_clock;

// Runs `readersim ctl --link LINK args...`; the output, and whether it succeeded.
std::pair<bool, std::string> Ctl(const std::string& link, const std::string& args) {
  const std::string command = std::string(READERSIM_PATH) + " ctl --link '" + link + "' " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {false, ""};
  std::string output;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  return {status == 0, output};
}

class Simulator {
 public:
  Simulator(const testing_support::TempDir& dir, const std::vector<std::string>& extra = {})
      : link_(dir.file("reader")) {
    Start(extra);
  }
  ~Simulator() { Stop(); }

  void Start(const std::vector<std::string>& extra) {
    pid_ = ::fork();
    if (pid_ == 0) {
      std::vector<std::string> args{READERSIM_PATH, "serve", "--link", link_};
      args.insert(args.end(), extra.begin(), extra.end());
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      const int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(quiet, 1);
      ::dup2(quiet, 2);
      ::execv(READERSIM_PATH, argv.data());
      ::_exit(127);
    }
    for (auto until = Clock::now() + 10s; Clock::now() < until; std::this_thread::sleep_for(10ms)) {
      if (Ctl(link_, "ping").first) return;
    }
    ADD_FAILURE() << "the simulator did not start";
  }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  const std::string& link() const { return link_; }
  std::pair<bool, std::string> ctl(const std::string& args) const { return Ctl(link_, args); }
  nlohmann::json Stats() const { return nlohmann::json::parse(ctl("stats").second); }

 private:
  std::string link_;
  pid_t pid_ = -1;
};

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
  // timeout; `hung_up` tells whether the other end went away.
  Bytes Read(std::size_t count, Clock::time_point deadline, bool* hung_up = nullptr) {
    Bytes data;
    while (data.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd entry{fd_, POLLIN, 0};
      if (::poll(&entry, 1, static_cast<int>(left)) <= 0) break;
      std::uint8_t buffer[1024];
      const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - data.size()));
      if (n <= 0) {
        if (hung_up != nullptr) *hung_up = true;
        break;
      }
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

TEST(SimulatorProcess, OpensServesACardAndCountsEveryFrame) {
  testing_support::TempDir dir;
  Simulator sim(dir);
  const auto created = sim.ctl("create admin admin ADMIN01");
  ASSERT_TRUE(created.first) << created.second;
  ASSERT_TRUE(sim.ctl("place admin").first);

  Port port(sim.link());
  ASSERT_TRUE(port.ok());
  TestHost host = HostOn(port);
  ASSERT_TRUE(host.Open(readersim::DefaultKeys()));
  const auto polled = host.Secured(readersim_test::PollingCommand());
  ASSERT_TRUE(polled.has_value());
  EXPECT_EQ(readersim::Hex(std::span(*polled).subspan(1, 8)) + "\n", created.second);
  ASSERT_TRUE(host.Close());

  const nlohmann::json stats = sim.Stats();
  EXPECT_EQ(stats["frames"]["link"], 3);
  EXPECT_EQ(stats["frames"]["reader"], 8);
  EXPECT_EQ(stats["frames"]["card"], 1);
  EXPECT_EQ(stats["commands"]["card:00"], 1);
  EXPECT_EQ(stats["sessions"], 1);
  EXPECT_GT(stats["bytes_in"].get<long>(), 0);
  EXPECT_GT(stats["bytes_out"].get<long>(), 0);
  EXPECT_TRUE(stats["violations"].empty()) << stats["violations"].dump();

  const nlohmann::json dump = nlohmann::json::parse(sim.ctl("dump admin").second);
  EXPECT_EQ(dump["fields"]["admin_id"], "ADMIN01");
  EXPECT_EQ(dump["fields"]["user_id"], "");
}

TEST(SimulatorProcess, PortsStartWithoutSoftwareFlowControl) {
  // A host that keeps the flow control it finds (as a Windows host keeps the
  // driver's) must not lose the bytes 0x11 and 0x13 of a reply.
  testing_support::TempDir dir;
  Simulator sim(dir);
  const int fd = ::open(sim.link().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios settings{};
  ASSERT_EQ(::tcgetattr(fd, &settings), 0);
  EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u);
  ::close(fd);
}

TEST(SimulatorProcess, EveryHostSessionGetsAFreshPort) {
  testing_support::TempDir dir;
  Simulator sim(dir);
  const auto first = std::filesystem::read_symlink(sim.link());
  {
    Port port(sim.link());
    ASSERT_TRUE(port.ok());
    TestHost host = HostOn(port);
    ASSERT_TRUE(host.Prepare());
    const auto second = std::filesystem::read_symlink(sim.link());
    EXPECT_NE(first, second);
  }
  Port again(sim.link());
  TestHost host = HostOn(again);
  EXPECT_TRUE(host.Prepare());
  EXPECT_TRUE(sim.Stats()["violations"].empty());
}

TEST(SimulatorProcess, LineFaultsSplitDelayAndSilence) {
  testing_support::TempDir dir;
  Simulator sim(dir);
  Port port(sim.link());
  ASSERT_TRUE(port.ok());
  TestHost host = HostOn(port);
  ASSERT_TRUE(host.Prepare());

  const Bytes check = readersim_test::Frame(0x08, {0x00, 0x01, 0x00, 0x00, 0x01});
  ASSERT_TRUE(sim.ctl("fault split 3 40").first);
  const int reads_before = port.reads();
  const auto split = port.Exchange(check);
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(*split, readersim_test::FromHex("00 0002 9000 92"));
  EXPECT_GE(port.reads() - reads_before, 3);

  ASSERT_TRUE(sim.ctl("fault delay 1500").first);
  EXPECT_FALSE(port.Exchange(check).has_value());
  EXPECT_EQ(port.Read(6, Clock::now() + 2s).size(), 6u);  // the late reply still comes

  ASSERT_TRUE(sim.ctl("fault noreply").first);
  EXPECT_FALSE(port.Exchange(check).has_value());
  EXPECT_TRUE(port.Exchange(check).has_value());

  ASSERT_TRUE(sim.ctl("fault status80 2").first);
  EXPECT_EQ(port.Exchange(check)->at(0), 0x80);
  EXPECT_EQ(port.Exchange(check)->at(0), 0x80);
  EXPECT_EQ(port.Exchange(check)->at(0), 0x00);
}

TEST(SimulatorProcess, VanishingReaderClosesTheHostsPort) {
  testing_support::TempDir dir;
  Simulator sim(dir);
  Port port(sim.link());
  ASSERT_TRUE(port.ok());
  TestHost host = HostOn(port);
  ASSERT_TRUE(host.Prepare());
  ASSERT_TRUE(sim.ctl("fault vanish").first);
  bool hung_up = false;
  port.Read(1, Clock::now() + 2s, &hung_up);
  EXPECT_TRUE(hung_up);
  // The reader comes back at the same link.
  Port again(sim.link());
  TestHost second = HostOn(again);
  EXPECT_TRUE(second.Prepare());
}

TEST(SimulatorProcess, StateFileSurvivesARestart) {
  testing_support::TempDir dir;
  {
    Simulator sim(dir, {"--blank-reader"});
    ASSERT_TRUE(sim.ctl("create alice user alice secret").first);
    ASSERT_TRUE(sim.ctl("place alice").first);
    Port port(sim.link());
    TestHost host = HostOn(port);
    ASSERT_TRUE(host.Open(readersim::DefaultKeys()));  // provisions the blank reader
    EXPECT_EQ(sim.Stats()["commands"]["reader:85"], 2);
    host.Close();
  }
  const nlohmann::json saved = nlohmann::json::parse(testing_support::ReadBytes(dir.file("reader.json")));
  EXPECT_EQ(saved["on_reader"], "alice");
  EXPECT_TRUE(saved["reader"]["provisioned"].get<bool>());
  EXPECT_EQ(saved["reader"]["slots"].size(), 11u);

  Simulator sim(dir);
  const nlohmann::json dump = nlohmann::json::parse(sim.ctl("dump alice").second);
  EXPECT_EQ(dump["fields"]["user_id"], "alice");
  EXPECT_EQ(dump["fields"]["password"], "secret");
  Port port(sim.link());
  TestHost host = HostOn(port);
  ASSERT_TRUE(host.Open(readersim::DefaultKeys()));
  EXPECT_EQ(sim.Stats()["commands"]["reader:85"], nullptr);  // already provisioned
  EXPECT_TRUE(sim.Stats()["violations"].empty());
}

TEST(SimulatorProcess, LineTimingStillAnswersEveryFrame) {
  testing_support::TempDir dir;
  Simulator sim(dir, {"--line-timing"});
  ASSERT_TRUE(sim.ctl("create card blank").first);
  ASSERT_TRUE(sim.ctl("place card").first);
  Port port(sim.link());
  TestHost host = HostOn(port);
  ASSERT_TRUE(host.Open(readersim::DefaultKeys()));
  EXPECT_TRUE(host.Secured(readersim_test::PollingCommand()).has_value());
  EXPECT_TRUE(host.Close());
  EXPECT_TRUE(sim.Stats()["violations"].empty());
}

TEST(SimulatorProcess, ControlRefusesWhatItCannotDo) {
  testing_support::TempDir dir;
  Simulator sim(dir);
  EXPECT_FALSE(sim.ctl("place nobody").first);
  EXPECT_FALSE(sim.ctl("fault sometimes").first);
  EXPECT_FALSE(sim.ctl("create x json '{}'").first);
  ASSERT_TRUE(sim.ctl("create copy blank").first);
  const std::string raw = sim.ctl("dump copy raw").second;
  testing_support::WriteBytes(dir.file("copy.json"), raw);
  ASSERT_TRUE(sim.ctl("create twin dump '" + dir.file("copy.json") + "'").first);
  EXPECT_EQ(nlohmann::json::parse(sim.ctl("dump twin raw").second), nlohmann::json::parse(raw));
}

}  // namespace
