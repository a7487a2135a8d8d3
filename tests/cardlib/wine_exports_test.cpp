// The shipped Corvex.dll under Wine on a COM port that Wine maps to the
// reader simulator: the reader found through the entries its driver leaves
// in the registry, then every export doing its card work. Run by
// wine_com_harness, which prepares a blank card and checks the card and the
// simulator's statistics afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cardlib/Corvex.h"
#include "tests/cardlib/export_table.h"

namespace {

constexpr const char* kService = "SYSTEM\\CurrentControlSet\\Services\\D_SER2_A";
constexpr const char* kInstanceKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\PELLAMTEST";

void SetString(const std::string& key_path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(
      ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
}

TEST(WineComPort, EveryExportOnTheSimulator) {
  const char* port = std::getenv("PELLAM_TEST_COM_PORT");
  ASSERT_NE(port, nullptr) << "run by wine_com_harness";
  SetString(std::string(kService) + "\\Enum", "0", "USB\\VID_0000&PID_0000\\PELLAMTEST");
  SetString(kInstanceKey, "FriendlyName", std::string("DENSO WAVE USB-SER Comm. Port (") + port + ")");
  ASSERT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kService);
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstanceKey);

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
