#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

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

TEST(TextMode, ReadsTheRestOfAFileFromItsPosition) {
  testing_support::TempDir dir;
  const std::string path = dir.file("t.csv");
  testing_support::WriteBytes(path,
                              "skip\r\nline one\r\nline two\n\x1A"
                              "ignored");
  platform::UniqueFile file(platform::OpenFile(path.c_str(), platform::FileOpen::ReadExisting));
  ASSERT_TRUE(file.valid());
  ASSERT_TRUE(platform::SeekFile(file.get(), 6));
  std::vector<char> text;
  ASSERT_EQ(platform::ReadRestAsText(file.get(), text), platform::ReadResult::Ok);
  EXPECT_EQ(std::string(text.begin(), text.end()), "line one\nline two\n");
}

}  // namespace
