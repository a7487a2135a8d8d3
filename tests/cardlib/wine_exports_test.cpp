// Every export of the shipped Corvex.dll doing its card work under Wine,
// through a COM port that Wine maps to the reader simulator. Run by
// wine_com_harness (scenario EveryExportOnTheSimulator), which prepares a
// blank card on the simulator and checks afterwards that it saw no protocol
// violation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cardlib/Corvex.h"
#include "tests/cardlib/export_table.h"

namespace {

TEST(WineComPort, EveryExportOnTheSimulator) {
  const char* port = std::getenv("PELLAM_TEST_COM_PORT");
  ASSERT_NE(port, nullptr) << "run by wine_com_harness";
  const std::string path = std::string("\\\\.\\") + port;
  ASSERT_EQ(GenOpenDevice(nullptr, path.c_str()), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  for (const testing_support::ExportCase& c : testing_support::ExportCases()) {
    if (c.when_open == testing_support::WhenOpen::Special) continue;
    const std::int32_t status = c.valid();
    EXPECT_TRUE(testing_support::AcceptableInOrder(c.name, status))
        << c.name << " status " << std::hex << status << " detail " << GenGetLastErrorDetail();
  }
  EXPECT_EQ(GenCloseDevice(), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
}

}  // namespace
