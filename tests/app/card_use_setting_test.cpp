// The registry value "cardtype" through the Windows registry (run under Wine
// in the test's own prefix): nothing is created, unreadable or out-of-range
// values read as 0, and a write needs the key.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/core/card_use.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\VORAN\\VORAN Tollmark";

class CardUseSetting : public ::testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey); }
  void TearDown() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey); }

  static void MakeKey() {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
  static void Store(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key, "cardtype", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
};

TEST_F(CardUseSetting, MissingKeyReadsZeroAndIsNeverCreated) {
  EXPECT_EQ(pellam::ReadCardUse(), 0u);
  EXPECT_FALSE(pellam::WriteCardUse(1));
  HKEY key = nullptr;
  EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(CardUseSetting, WrittenValueIsReadBackAndOutOfRangeReadsZero) {
  MakeKey();
  EXPECT_EQ(pellam::ReadCardUse(), 0u) << "no value yet";
  ASSERT_TRUE(pellam::WriteCardUse(1));
  EXPECT_EQ(pellam::ReadCardUse(), 1u);
  ASSERT_TRUE(pellam::WriteCardUse(0));
  EXPECT_EQ(pellam::ReadCardUse(), 0u);
  const DWORD seven = 7;
  Store(REG_DWORD, &seven, sizeof seven);
  EXPECT_EQ(pellam::ReadCardUse(), 0u);
  // The stored type is not checked: four bytes holding 1 select the code card.
  const DWORD one = 1;
  Store(REG_BINARY, &one, sizeof one);
  EXPECT_EQ(pellam::ReadCardUse(), 1u);
}

}  // namespace
