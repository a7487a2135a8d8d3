// The POSIX serial port on pseudo-terminals, the test holding the master side.
// (Line settings, speeds, raw writes and purges the card library's
// pseudo-terminal tests show frame by frame.)
#include "platform/serial_port.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::SerialPort;
using platform::SerialTimeouts;

class PseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master_, &slave, name, nullptr, nullptr), 0);
    ::close(slave);  // the port under test is the only slave opener
    path_ = name;
  }
  void TearDown() override {
    if (master_ >= 0) ::close(master_);
  }

  void MasterWrite(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  int master_ = -1;
  std::string path_;
};

TEST_F(PseudoTerminal, OpensWithoutSharingByPathOrByPortName) {
  SerialPort first;
  SerialPort second;
  ASSERT_TRUE(first.Open(path_.c_str()));
  EXPECT_FALSE(first.Open(path_.c_str())) << "one port per object";
  EXPECT_FALSE(second.Open(path_.c_str()));
  EXPECT_TRUE(first.Close());
  EXPECT_FALSE(first.IsOpen());
  EXPECT_TRUE(second.Open(path_.c_str()));
  EXPECT_TRUE(second.Close());
  EXPECT_FALSE(SerialPort().Open("/dev/pellam-no-such-port"));

  testing_support::TempDir dir;
  testing_support::WriteBytes(dir.file("r.reg"), "REGEDIT4\n[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
                                                     path_ + "\"=\"COM7\"\n\"relative/path\"=\"COM8\"\n");
  testing_support::ScopedEnvironment registry("PELLAM_REGISTRY", dir.file("r.reg"));
  for (const char* name : {"\\\\.\\COM7", "COM7", "com7"}) {
    SerialPort port;
    EXPECT_TRUE(port.Open(name)) << name;
  }
  EXPECT_FALSE(SerialPort().Open("\\\\.\\COM8")) << "a device must be an absolute path";
  EXPECT_FALSE(SerialPort().Open("\\\\.\\COM9"));
  EXPECT_FALSE(SerialPort().Open("\\\\.\\"));
}

TEST_F(PseudoTerminal, ReadsEndByTheTimeoutRule) {
  SerialPort port;
  ASSERT_TRUE(port.Open(path_.c_str()));
  SerialTimeouts timeouts;
  ASSERT_TRUE(port.ReadTimeouts(timeouts));
  EXPECT_EQ(timeouts.read_per_byte, 0u) << "a fresh port has no timeouts";
  unsigned char buffer[8] = {};
  std::size_t got = 99;

  // Total limit: nothing arrives.
  ASSERT_TRUE(port.WriteTimeouts(SerialTimeouts{0, 10, 20, 0, 0}));
  EXPECT_TRUE(port.Read(buffer, 4, got));
  EXPECT_EQ(got, 0u);

  // Bytes that arrive in pieces within the limit make one read.
  ASSERT_TRUE(port.WriteTimeouts(SerialTimeouts{0, 50, 5000, 0, 0}));
  std::thread writer([this] {
    MasterWrite("ab");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    MasterWrite("cd");
  });
  EXPECT_TRUE(port.Read(buffer, 4, got));
  writer.join();
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), got), "abcd");

  // Interval limit alone: the read ends once the bytes stop coming.
  ASSERT_TRUE(port.WriteTimeouts(SerialTimeouts{30, 0, 0, 0, 0}));
  MasterWrite("xy");
  EXPECT_TRUE(port.Read(buffer, 8, got));
  EXPECT_EQ(got, 2u);

  // "Return at once" with what has arrived.
  ASSERT_TRUE(port.WriteTimeouts(SerialTimeouts{platform::kReadIntervalReturnAtOnce, 0, 0, 0, 0}));
  EXPECT_TRUE(port.Read(buffer, 8, got));
  EXPECT_EQ(got, 0u);
}

}  // namespace
