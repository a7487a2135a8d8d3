// The shipped Corvex.dll under Wine on a COM port that Wine maps to the
// reader simulator: the reader found through the entries its driver leaves
// in the registry, then every export doing its card work. Run by
// wine_com_test.sh, which prepares the prefix and a blank card and checks the
// card and the simulator's statistics afterwards.
#include <gtest/gtest.h>

#include <string>

#include "cardlib/Corvex.h"
#include "tests/cardlib/export_table.h"

namespace {

TEST(WineComPort, EveryExportOnTheSimulator) {
  ASSERT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_OK) << std::hex << GenGetLastErrorDetail();

  for (const testing_support::ExportCase& c : testing_support::ExportCases()) {
    if (c.when_open == testing_support::WhenOpen::Special) continue;
    const std::int32_t status = c.valid();
    EXPECT_TRUE(testing_support::AcceptableInOrder(c.name, status))
        << c.name << " status " << std::hex << status << " detail " << GenGetLastErrorDetail();
  }
  ASSERT_EQ(GenWriteUserAccount("alice", 5, "secret", 6), CORVEX_OK);
  char id[128];
  char password[256];
  std::int32_t id_length = sizeof id;
  std::int32_t password_length = sizeof password;
  ASSERT_EQ(GenReadUserAccount(id, &id_length, password, &password_length), CORVEX_OK);
  EXPECT_EQ(std::string(id, id_length) + "/" + std::string(password, password_length), "alice/secret");
  EXPECT_EQ(GenCloseDevice(), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
}

}  // namespace
