#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(LocaleNames, TranslateToWindowsIdentifiers) {
  const struct {
    const char* name;
    std::uint32_t id;
  } cases[] = {
      {"ja_JP.UTF-8", 0x0411}, {"ja", 0x0411},           {"ja_JP.eucJP@x", 0x0411},
      {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},        {"de_DE@euro", 0x0407},
      {"de_AT", 0x0C07},       {"fr_CA.utf8", 0x0C0C},   {"FR", 0x040C},
      {"zh_TW.Big5", 0x0404},  {"zh_CN.GB2312", 0x0804}, {"C", 0x0409},
      {"POSIX", 0x0409},       {"C.UTF-8", 0x0409},      {"", 0x0409},
      {"xx_YY", 0x0409},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::LocaleIdFromName(c.name), c.id) << c.name;
}

#if !defined(_WIN32)
// The stand-in reads LC_ALL, then LC_MESSAGES, then LANG: the first non-empty wins.
TEST(LocaleNames, SystemDefaultFollowsTheEnvironmentInOrder) {
  struct Saved {
    const char* name;
    std::string value;
    bool set;
  } saved[] = {{"LC_ALL", "", false}, {"LC_MESSAGES", "", false}, {"LANG", "", false}};
  for (Saved& s : saved) {
    if (const char* v = std::getenv(s.name)) {
      s.value = v;
      s.set = true;
    }
  }

  ::setenv("LC_ALL", "", 1);
  ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  ::setenv("LANG", "ja_JP.UTF-8", 1);
  EXPECT_EQ(platform::SystemDefaultLocaleId(), 0x0407u);
  ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
  EXPECT_EQ(platform::SystemDefaultLocaleId(), 0x0411u);
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  EXPECT_EQ(platform::SystemDefaultLocaleId(), 0x0411u);
  ::unsetenv("LANG");
  EXPECT_EQ(platform::SystemDefaultLocaleId(), 0x0409u);

  for (const Saved& s : saved) {
    if (s.set) {
      ::setenv(s.name, s.value.c_str(), 1);
    } else {
      ::unsetenv(s.name);
    }
  }
}
#endif

}  // namespace
