#include "tests/cardlib/simulator_fixture.h"

namespace corvex_test {

std::unique_ptr<testing_support::TempDir> SimulatorTest::dir_;
std::unique_ptr<testing_support::SimulatorProcess> SimulatorTest::sim_;

void SimulatorTest::SetUpTestSuite() {
  dir_ = std::make_unique<testing_support::TempDir>();
  sim_ = std::make_unique<testing_support::SimulatorProcess>(READERSIM_PATH, dir_->path().string());
}

void SimulatorTest::TearDownTestSuite() {
  sim_.reset();
  dir_.reset();
}

void SimulatorTest::SetUp() {
  ASSERT_TRUE(sim_->ok()) << "the simulator did not start";
  ASSERT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN) << "a test left the device open";
  ASSERT_TRUE(sim_->Do("fault clear"));
  ASSERT_TRUE(sim_->Do("reader provisioned"));
  ResetStats();
}

void SimulatorTest::TearDown() {
  GenCloseDevice();
  const nlohmann::json stats = sim_->Stats();
  EXPECT_TRUE(stats["violations"].empty()) << stats["violations"].dump(1);
  sim_->Do("fault clear");
  sim_->Do("remove");
}

void SimulatorTest::PlaceCard(const std::string& name, const std::string& kind) {
  ASSERT_TRUE(sim_->Do("create " + name + " " + kind));
  ASSERT_TRUE(sim_->Do("place " + name));
}

void SimulatorTest::OpenAndSense() {
  ASSERT_EQ(GenOpenDevice(nullptr, sim_->link().c_str()), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  std::int32_t present = -1;
  ASSERT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  ASSERT_EQ(present, 1);
}

std::map<std::string, long> SimulatorTest::CardCommands() const {
  std::map<std::string, long> commands;
  const nlohmann::json stats = sim_->Stats();
  for (const auto& [name, count] : stats["commands"].items()) {
    if (name.rfind("card:", 0) == 0) commands[name.substr(5)] = count.get<long>();
  }
  return commands;
}

void SimulatorTest::ResetStats() const { ASSERT_TRUE(sim_->Do("stats reset")); }

}  // namespace corvex_test
