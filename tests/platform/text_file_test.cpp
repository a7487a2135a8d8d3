#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Convert(std::string bytes) {
  bytes.resize(platform::ConvertTextInPlace(bytes.data(), bytes.size()));
  return bytes;
}

TEST(TextMode, DropsOnlyTheCrOfCrLfAndStopsAtControlZ) {
  const struct {
    std::string raw;
    std::string text;
  } cases[] = {
      {"", ""},
      {"a\r\nb\r\n", "a\nb\n"},
      {"a\nb", "a\nb"},
      {"a\rb\r", "a\rb\r"},
      {"a\r\r\nb", "a\r\nb"},
      {"a\r\n\x1A"
       "after",
       "a\n"},
      {"\x1A", ""},
      {std::string("a\0b\r\n", 5), std::string("a\0b\n", 4)},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(c.raw), c.text) << c.raw;
}

}  // namespace
