#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "tests/support/environment.h"

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
// The stand-in reads LC_ALL, then LC_MESSAGES, then LANG: the first non-empty
// wins (nullptr: unset).
TEST(LocaleNames, SystemDefaultFollowsTheEnvironmentInOrder) {
  // Each variable is restored when the test ends.
  const testing_support::ScopedEnvironment all("LC_ALL", ""), messages("LC_MESSAGES", ""), lang("LANG", "");
  const struct {
    const char* all;
    const char* messages;
    const char* lang;
    std::uint32_t id;
  } cases[] = {
      {"", "de_DE.UTF-8", "ja_JP.UTF-8", 0x0407},
      {"ja_JP.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8", 0x0411},
      {nullptr, nullptr, "ja_JP.UTF-8", 0x0411},
      {nullptr, nullptr, nullptr, 0x0409},
  };
  for (const auto& c : cases) {
    for (const auto& [name, value] : {std::pair{"LC_ALL", c.all}, {"LC_MESSAGES", c.messages}, {"LANG", c.lang}}) {
      if (value != nullptr) {
        ::setenv(name, value, 1);
      } else {
        ::unsetenv(name);
      }
    }
    EXPECT_EQ(platform::SystemDefaultLocaleId(), c.id) << (c.all ? c.all : "-") << " " << (c.lang ? c.lang : "-");
  }
}
#endif

}  // namespace
