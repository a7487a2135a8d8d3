// The .reg stand-in for the registry on POSIX. (The real one the card
// library's Wine tests and the program's GUI run use.)
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::ReadRegistryValue;
using platform::RegistryRoot;
using platform::RegistryType;

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

// (The file named in PELLAM_REGISTRY the card library's discovery tests use.)
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

}  // namespace
