// The registry as the platform reads it: the .reg stand-in on POSIX, the
// real registry (of the test's Wine prefix) on Windows.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using platform::ReadRegistryValue;
using platform::RegistryRoot;
using platform::RegistryType;

#if defined(_WIN32)

// A key of the test's own, written with the Win32 calls the product never makes.
class TestKey {
 public:
  TestKey() { ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr); }
  ~TestKey() {
    ::RegCloseKey(key_);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kPath);
  }
  void SetString(const char* name, const std::string& text) {
    ::RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
  }
  void SetDword(const char* name, DWORD value) {
    ::RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  static constexpr const char* kPath = "SOFTWARE\\PellamPlatformTest";

 private:
  HKEY key_ = nullptr;
};

TEST(Registry, ReadsValuesOfTheSystemRegistry) {
  TestKey key;
  key.SetString("Name", "DENSO WAVE USB Device (COM4)");
  key.SetDword("Number", 0x01020304);

  const auto name = ReadRegistryValue(RegistryRoot::LocalMachine, TestKey::kPath, "Name");
  ASSERT_TRUE(name);
  EXPECT_EQ(name->type, RegistryType::String);
  EXPECT_EQ(name->data, std::string("DENSO WAVE USB Device (COM4)\0", 29));
  const auto number = ReadRegistryValue(RegistryRoot::LocalMachine, TestKey::kPath, "Number");
  ASSERT_TRUE(number);
  EXPECT_EQ(number->type, RegistryType::Dword);
  EXPECT_EQ(number->data, "\x04\x03\x02\x01");
  EXPECT_FALSE(ReadRegistryValue(RegistryRoot::LocalMachine, TestKey::kPath, "Missing"));
  EXPECT_FALSE(ReadRegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\PellamNoSuchKey", "Name"));
}

#else

// The stand-in rewrites its file whole: the value's line replaced in the
// key's last section or added under its heading, every other line kept; a
// missing file or key stays missing.
TEST(Registry, StandInSetsADwordOfAnExistingKeyOnly) {
  struct Case {
    const char* before;
    const char* after;  // nullptr: refused, file unchanged
  };
  const Case cases[] = {
      {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"cardtype\"=dword:00000000\r\n\"x\"=\"y\"\r\n",
       "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n\"cardtype\"=dword:00000001\r\n\"x\"=\"y\"\r\n"},
      {"REGEDIT4\n[HKLM\\software\\t]\n\"CardType\"=\"text\"\n[HKLM\\Other]\n",
       "REGEDIT4\n[HKLM\\software\\t]\n\"cardtype\"=dword:00000001\n[HKLM\\Other]\n"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"a\"=\"b\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]",
       "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"a\"=\"b\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"cardtype\"="
       "dword:00000001\n"},
      {"REGEDIT4\n[HKEY_CURRENT_USER\\SOFTWARE\\T]\n", nullptr},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]\n", nullptr},
      {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n", nullptr},
  };
  testing_support::TempDir dir;
  const std::string file = dir.file("machine.reg");
  testing_support::ScopedEnvironment path("PELLAM_REGISTRY", file);
  for (const Case& c : cases) {
    testing_support::WriteBytes(file, c.before);
    const bool set = platform::WriteRegistryDword(RegistryRoot::LocalMachine, "SOFTWARE\\T", "cardtype", 1);
    EXPECT_EQ(set, c.after != nullptr) << c.before;
    EXPECT_EQ(testing_support::ReadBytes(file), c.after != nullptr ? c.after : c.before);
    if (set) {
      EXPECT_EQ(ReadRegistryValue(RegistryRoot::LocalMachine, "SOFTWARE\\T", "CARDTYPE")->data,
                std::string("\x01\0\0\0", 4));
    }
  }
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));
  testing_support::ScopedEnvironment missing("PELLAM_REGISTRY", dir.file("none.reg"));
  EXPECT_FALSE(platform::WriteRegistryDword(RegistryRoot::LocalMachine, "SOFTWARE\\T", "cardtype", 1));
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.reg")));
}

// (That the file named in PELLAM_REGISTRY is read afresh on every query, and
// that a missing one holds nothing, the card library's discovery tests show.)
TEST(Registry, DefaultFileInTheConfigFolder) {
  testing_support::TempDir dir;
  std::filesystem::create_directories(dir.path() / "pellam");
  testing_support::WriteBytes(dir.file("pellam/registry.reg"),
                              "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Test]\n\"v\"=dword:00000001\n");
  testing_support::ScopedEnvironment no_file("PELLAM_REGISTRY", "");
  testing_support::ScopedEnvironment config("XDG_CONFIG_HOME", dir.path().string());
  const auto value = ReadRegistryValue(RegistryRoot::CurrentUser, "Software\\Test", "v");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, RegistryType::Dword);
}

#endif

}  // namespace
