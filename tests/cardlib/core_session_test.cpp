// The card library's core over the real serial port against the simulator,
// where a test needs what the exports do not give: the sequence number moved
// to its end (a test-only hook of the session), and the card buffers after
// each operation.
#include <gtest/gtest.h>

#include <algorithm>
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
  long Command(const char* name) const { return sim.Stats()["commands"].value(name, 0L); }

  testing_support::TempDir dir;
  testing_support::SimulatorProcess sim{READERSIM_PATH, dir.path().string()};
  testing_support::MapRegistry registry;
};

bool AllZero(const std::uint8_t* data, std::size_t size) {
  return std::all_of(data, data + size, [](std::uint8_t byte) { return byte == 0; });
}

TEST_F(CoreSession, SequenceNumberRunsOutThenCardBuffersAreWipedAsEachOperationReturns) {
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

  // Passwords, PINs and user data stay in the card buffers only while the
  // operation that moved them runs, whether it succeeds or fails.
  Card& card = device.card();
  const std::uint8_t* read = card.ReadData();
  const std::uint8_t* written = card.ClearWriteBuffer();
  char text[256];
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
