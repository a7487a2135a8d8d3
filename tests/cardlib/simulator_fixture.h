// Tests of the shipped library against the reader simulator, through the
// real serial code. One simulator serves a whole test suite; every test
// starts with cleared faults and statistics and a fresh card, and ends with
// the device closed and the simulator's violation list checked empty.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "cardlib/Corvex.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace corvex_test {

// The system code the cards answer to.
inline constexpr std::uint8_t kSystemCode[2] = {0x81, 0x65};

class SimulatorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  static testing_support::SimulatorProcess& sim() { return *sim_; }

  // Creates a card (`kind`: "blank", "admin ID", "user ID PASSWORD") named
  // `name` and lays it on the reader.
  void PlaceCard(const std::string& name, const std::string& kind = "blank");
  // Opens the device on the simulator and senses the card on it.
  void OpenAndSense();
  // The card commands sent since the statistics were last reset, by command
  // code ("42" select keys, "56" authenticate and read, "52" authenticate,
  // "16" write, "00" polling, "60" polling several codes, "04" request
  // response).
  std::map<std::string, long> CardCommands() const;
  void ResetStats() const;

 private:
  static std::unique_ptr<testing_support::TempDir> dir_;
  static std::unique_ptr<testing_support::SimulatorProcess> sim_;
};

}  // namespace corvex_test
