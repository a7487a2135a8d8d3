// The card library's core over the real serial port against the simulator,
// where a test needs what the exports do not give: the sequence number moved
// to its end (a test-only hook of the session), a reader that refuses the
// card key registration or the way back to idle (a port that answers that
// one frame itself), and the card buffers after each operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

#include "cardlib/card_data.h"
#include "cardlib/device.h"
#include "cardlib/pin.h"
#include "cardlib/system_port.h"
#include "tests/cardlib/map_registry.h"
#include "tests/support/reader_frames.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace corvex;

constexpr std::uint8_t kSystemCode[2] = {0x81, 0x65};

// The system port, except that it answers frames that begin with a rule's
// prefix itself with the rule's answer (never passing them on), and may
// refuse to close.
class InterceptingPort final : public LinkPort {
 public:
  using Bytes = std::vector<std::uint8_t>;
  InterceptingPort(Bytes prefix, Bytes answer) { Intercept(std::move(prefix), std::move(answer)); }
  void Intercept(Bytes prefix, Bytes answer) { rules_.push_back({std::move(prefix), std::move(answer)}); }

  int close_refusals = 0;  // this many closes fail

  bool Open(const char* path) override { return port_.Open(path); }
  bool IsOpen() const override { return port_.IsOpen(); }
  bool Purge() override { return port_.Purge(); }
  bool ReadLineSettings(platform::LineSettings& s) override { return port_.ReadLineSettings(s); }
  bool WriteLineSettings(const platform::LineSettings& s) override { return port_.WriteLineSettings(s); }
  bool ReadSpeed(std::uint32_t& speed) override { return port_.ReadSpeed(speed); }
  bool SetSpeed(std::uint32_t speed) override { return port_.SetSpeed(speed); }
  bool ReadTimeouts(platform::SerialTimeouts& t) override { return port_.ReadTimeouts(t); }
  bool WriteTimeouts(const platform::SerialTimeouts& t) override { return port_.WriteTimeouts(t); }
  bool Read(std::uint8_t* data, std::size_t size, std::size_t& got) override {
    if (pending_.empty()) return port_.Read(data, size, got);
    got = 0;
    while (got < size && !pending_.empty()) {
      data[got++] = pending_.front();
      pending_.pop_front();
    }
    return true;
  }
  bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written) override {
    for (const auto& [prefix, answer] : rules_) {
      if (size >= prefix.size() && std::memcmp(data, prefix.data(), prefix.size()) == 0) {
        pending_.assign(answer.begin(), answer.end());
        written = size;
        return true;
      }
    }
    return port_.Write(data, size, written);
  }
  void ClearError() override { port_.ClearError(); }
  bool Close() override {
    if (close_refusals > 0) {
      --close_refusals;
      return false;
    }
    return port_.Close();
  }
  void Pause(std::uint32_t milliseconds) override { port_.Pause(milliseconds); }
  std::uint64_t Now() override { return port_.Now(); }

 private:
  SystemPort port_;
  std::vector<std::pair<Bytes, Bytes>> rules_;
  std::deque<std::uint8_t> pending_;
};

// A reply frame with status 00.
std::vector<std::uint8_t> Reply(const std::vector<std::uint8_t>& payload) {
  return testing_support::ReplyFrame(0x00, payload);
}

class CoreSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.ok());
    ASSERT_TRUE(sim.Do("create card user alice"));
    ASSERT_TRUE(sim.Do("place card"));
  }
  void TearDown() override {
    const nlohmann::json stats = sim.Stats();
    EXPECT_TRUE(stats["violations"].empty()) << stats["violations"].dump(1);
  }
  long Command(const char* name) const {
    const nlohmann::json commands = sim.Stats()["commands"];
    return commands.contains(name) ? commands[name].get<long>() : 0;
  }

  testing_support::TempDir dir;
  testing_support::SimulatorProcess sim{READERSIM_PATH, dir.path().string()};
  testing_support::MapRegistry registry;
};

TEST_F(CoreSession, SequenceNumberRunsOutAndTheSessionIsRenewed) {
  SystemPort port;
  Device device(port, registry);
  ASSERT_EQ(device.Open(nullptr, sim.link().c_str()), 0) << std::hex << device.LastErrorDetail();
  std::int32_t present = 0;
  ASSERT_TRUE(IsSuccess(SenseCard(device.card(), &present, kSystemCode, 1)));
  ASSERT_EQ(present, 1);

  device.session().SetSequenceForTest(0xFFFE);
  ASSERT_TRUE(sim.Do("fault sequence 65534"));
  char id[128];
  std::int32_t length = sizeof id;
  // Select keys goes with 0xFFFE, the read with 0xFFFF; then the session is renewed.
  ASSERT_EQ(ReadText(device.card(), Field::UserId, id, &length), kExportOk);
  EXPECT_EQ(std::string(id, length), "alice");
  EXPECT_EQ(Command("reader:81"), 2) << "a second authentication";
  EXPECT_EQ(device.session().Sequence(), 1);
  length = sizeof id;
  ASSERT_EQ(ReadText(device.card(), Field::UserId, id, &length), kExportOk);
  EXPECT_EQ(device.Close(), 0);
}

TEST_F(CoreSession, RefusedKeyRegistrationClosesTheLinkAgain) {
  InterceptingPort port({0x28, 0x00, 0x65, 0x00, 0x89}, Reply({0x6A, 0x80}));
  Device device(port, registry);
  EXPECT_EQ(device.Open(nullptr, sim.link().c_str()), 0x50000);
  EXPECT_EQ(device.LastErrorDetail(), 0x8016A80u);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(Command("reader:11"), 2) << "the reader was put to rest";
  EXPECT_EQ(Command("link:07"), 2) << "and asked back to 9600 bit/s";
}

TEST_F(CoreSession, RefusedKeyRegistrationOnAPortThatWillNotCloseLeavesItToClosing) {
  InterceptingPort port({0x28, 0x00, 0x65, 0x00, 0x89}, Reply({0x6A, 0x80}));
  port.close_refusals = 1;
  Device device(port, registry);
  EXPECT_EQ(device.Open(nullptr, sim.link().c_str()), 0x50000);
  EXPECT_TRUE(device.IsOpen()) << "its port is";
  EXPECT_EQ(device.Open(nullptr, sim.link().c_str()), 0x100);
  // The reader is idle now: the second closing's commands are answered here.
  port.Intercept({0x28, 0x00, 0x04, 0x00, 0x11}, Reply({0x90, 0x00}));
  port.Intercept({0x08, 0x00, 0x04, 0x00, 0x07}, Reply({0x90, 0x00}));
  EXPECT_EQ(device.Close(), 0);
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(CoreSession, ReaderRefusingToIdleIsReportedAndTheDeviceClosed) {
  InterceptingPort port({0x08, 0x00, 0x04, 0x00, 0x07, 0x00}, Reply({0x6A, 0x82}));
  Device device(port, registry);
  ASSERT_EQ(device.Open(nullptr, sim.link().c_str()), 0) << std::hex << device.LastErrorDetail();
  EXPECT_EQ(device.Close(), 0x600);
  EXPECT_EQ(device.LastErrorDetail(), 0x2216A82u);
  EXPECT_FALSE(device.IsOpen()) << "its port is closed, so the device is too";
}

TEST_F(CoreSession, PortThatWillNotCloseKeepsTheDeviceOpen) {
  InterceptingPort port({0xFF}, {});
  port.close_refusals = 1;
  Device device(port, registry);
  ASSERT_EQ(device.Open(nullptr, sim.link().c_str()), 0) << std::hex << device.LastErrorDetail();
  EXPECT_EQ(device.Close(), 0x300);
  EXPECT_EQ(device.LastErrorDetail(), 0x2000014u);
  EXPECT_TRUE(device.IsOpen());
  std::int32_t present = 0;
  EXPECT_EQ(SenseCard(device.card(), &present, kSystemCode, 1), kReaderAuthentication)
      << "the session ended all the same";
  // The reader is idle now: the second closing's commands are answered here.
  port.Intercept({0x28, 0x00, 0x04, 0x00, 0x11}, Reply({0x90, 0x00}));
  port.Intercept({0x08, 0x00, 0x04, 0x00, 0x07}, Reply({0x90, 0x00}));
  EXPECT_EQ(device.Close(), 0);
  EXPECT_FALSE(device.IsOpen());
}

bool AllZero(const std::uint8_t* data, std::size_t size) {
  return std::all_of(data, data + size, [](std::uint8_t byte) { return byte == 0; });
}

// Passwords, PINs and user data stay in the card buffers only while the
// operation that moved them runs, whether it succeeds or fails.
TEST_F(CoreSession, CardBuffersAreWipedAsEachOperationReturns) {
  SystemPort port;
  Device device(port, registry);
  ASSERT_EQ(device.Open(nullptr, sim.link().c_str()), 0) << std::hex << device.LastErrorDetail();
  Card& card = device.card();
  const std::uint8_t* read = card.ReadData();
  const std::uint8_t* written = card.ClearWriteBuffer();
  std::int32_t present = 0;
  char text[256];
  std::int32_t length = 0;
  struct Step {
    const char* name;
    std::function<Detail()> work;
    std::int32_t status;
  };
  const Step steps[] = {
      {"sense", [&] { return SenseCard(card, &present, kSystemCode, 1); }, 0},
      {"write password", [&] { return WriteText(card, Field::Password, "hunter22", 8); }, 0},
      {"write PIN", [&] { return WritePin(card, "4321", 4); }, 0},
      {"verify PIN", [&] { return VerifyPin(card, "4321", 4); }, 0},
      {"read password",
       [&] {
         length = sizeof text;
         return ReadText(card, Field::Password, text, &length);
       },
       0},
      {"read into a short buffer",
       [&] {
         length = 2;
         return ReadText(card, Field::Password, text, &length);
       },
       0x20000},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(device.Run([&] { return device.Fail(step.work()); }), step.status) << step.name;
    EXPECT_TRUE(AllZero(read, kFieldBufferSize)) << step.name;
    EXPECT_TRUE(AllZero(written, kFieldBufferSize)) << step.name;
  }
  EXPECT_EQ(std::string(text, 8), "hunter22") << "the password was read";
  EXPECT_EQ(device.Close(), 0);
}

}  // namespace
