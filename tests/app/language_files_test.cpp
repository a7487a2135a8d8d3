// The shipped language files: every text the program asks for is in every
// file, and each file fits the program's table.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/core/text_ids.h"
#include "lang/Lingrel.h"
#include "tests/app/app_test_files.h"

namespace {

const char* const kLanguageFiles[] = {"english_string.csv", "english_string_admin.csv", "japanese_string.csv",
                                      "japanese_string_admin.csv"};

TEST(ShippedLanguageFiles, HoldEveryProgramTextWithinTheTable) {
  app_test::ProgramFolder folder;
  folder.CopyLanguageFiles();
  for (const char* name : kLanguageFiles) {
    SCOPED_TRACE(name);
    std::vector<char> rows(200 * 600);
    std::int32_t count = -1;
    ASSERT_EQ(ReadLangFile(name, 0, rows.data(), &count), 0);
    EXPECT_LE(count, 200);
    std::printf("%s: %d rows, room for %d more\n", name, count, 200 - count);
    for (const std::int32_t id : pellam::text::kAllProgramTexts) {
      char text[512] = {};
      std::int32_t length = 0;
      GetStringLangData(rows.data(), count, id, text, &length);
      EXPECT_NE(std::string(text), "no string data") << "text " << id << " is missing";
      EXPECT_GT(length, 0) << "text " << id << " is empty";
    }
  }
}

// A text longer than the lookup takes would be cut short on screen, and the
// lookup would take a double-byte character whose second byte is a backslash
// or a comma for an escape or the end of the text.
TEST(ShippedLanguageFiles, TextsAreWholeAndFreeOfFalseEscapes) {
  for (const char* name : kLanguageFiles) {
    SCOPED_TRACE(name);
    const std::string bytes = app_test::ShippedLanguageFile(name);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << "the last line must end";
    std::size_t line_start = 0;
    while (line_start < bytes.size()) {
      const std::size_t end = bytes.find("\r\n", line_start);
      ASSERT_NE(end, std::string::npos);
      const std::string line = bytes.substr(line_start, end - line_start);
      EXPECT_LE(line.size() - line.find(',') - 1, 256u) << line.substr(0, 4);
      for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        if (!lead) continue;
        ASSERT_LT(i + 1, line.size()) << "a lead byte ends line " << line.substr(0, 4);
        EXPECT_NE(line[i + 1], '\\') << "line " << line.substr(0, 4);
        ++i;
      }
      line_start = end + 2;
    }
  }
}

}  // namespace
