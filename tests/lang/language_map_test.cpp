// Choosing the language file: ReadVelLang and ChangeLongToChar.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "lang/Lingrel.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ScopedCurrentDir;
using testing_support::TempDir;
using testing_support::WriteBytes;

struct Choice {
  int32_t result;
  std::string name;
  int32_t length;
};

class LanguageMap : public ::testing::Test {
 protected:
  LanguageMap() : here_(dir_.path()) {}

  void WriteMap(const std::string& bytes, const char* file = "VelLang.csv") { WriteBytes(dir_.file(file), bytes); }

  static Choice Choose(int32_t mode, int32_t locale) {
    char name[256];
    std::memset(name, '#', sizeof name);
    int32_t length = -7;
    const int32_t result = ReadVelLang(mode, locale, name, &length);
    return {result, result == 0 ? std::string(name) : std::string(name, 4), length};
  }

  TempDir dir_;
  ScopedCurrentDir here_;
};

// The map (and the administrator's map) as written, the mode and locale
// asked for, and the file name chosen. The key is the locale's low 16 bits in
// four upper-case hex digits, compared exactly; the first line with the key
// and a file name wins; without one, the English file of the set.
TEST_F(LanguageMap, ChoosesTheFileOfTheFirstMatchingLineOrEnglish) {
  const std::string english = "0409,english_string.csv\r\n";
  const struct {
    std::string map;
    std::string admin_map;
    int32_t mode;
    int32_t locale;
    std::string name;
  } cases[] = {
      {english + "0411,japanese.csv\r\n", "", 0, 1041, "japanese.csv"},
      {english + "0411,japanese.csv,\r\n", "", 0, 1041, "japanese.csv"},
      {english + "0411,japanese.csv,third\n", "", 0, 1041, "japanese.csv"},
      {english + "0411,japanese.csv", "", 0, 1041, "japanese.csv"},
      {english + "04110,japanese.csv\n", "", 0, 1041, "japanese.csv"},
      {english + ",,0411,,japanese.csv\n", "", 0, 1041, "japanese.csv"},
      {"040c,french_lower.csv\n040C,french.csv\n040C,french_second.csv\n", "", 0, 0x040C, "french.csv"},
      {"040C,french.csv\n", "", 0, 0x7FFF040C, "french.csv"},
      {"040c,french_lower.csv\n", "", 0, 0x040C, "english_string.csv"},
      {"", "", 0, 1041, "english_string.csv"},
      {"", "", 7, 1041, "english_string.csv"},
      {"", "", 1, 1041, "english_string_admin.csv"},
      {"0411,standard.csv\n", "0411,admin.csv\n", 1, 1041, "admin.csv"},
      {"0411,standard.csv\n", "0411,admin.csv\n", 0, 1041, "standard.csv"},
      {"0411,standard.csv\n", "0411,admin.csv\n", 2, 1041, "standard.csv"},
      {"0411\n0411,\n0411,,\n0411,japanese.csv\n", "", 0, 1041, "japanese.csv"},
      {"0411,\n", "", 0, 1041, "english_string.csv"},
      // Long lines are read in pieces of 1023 characters: the second piece of
      // this line starts with a key of its own; one character less and the
      // key is inside the first piece's text.
      {"0409," + std::string(1018, 'x') + "0411,piece.csv\n", "", 0, 1041, "piece.csv"},
      {"0409," + std::string(1017, 'x') + "0411,piece.csv\n", "", 0, 1041, "english_string.csv"},
      {"0411," + std::string(255, 'n') + "\n", "", 0, 1041, std::string(255, 'n')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.map.substr(0, 60) + " / mode " + std::to_string(c.mode));
    WriteMap(c.map);
    WriteMap(c.admin_map, "VelLang_Admin.csv");
    const Choice choice = Choose(c.mode, c.locale);
    EXPECT_EQ(choice.result, 0);
    EXPECT_EQ(choice.name, c.name);
    EXPECT_EQ(choice.length, static_cast<int32_t>(c.name.size()));
  }
}

// A missing map, or a file name of more than 255 characters (255 fit: a row
// of the table above): the name and its length stay untouched.
TEST_F(LanguageMap, AMissingMapOrAFileNameLongerThan255CharactersIsAFileError) {
  for (bool map : {false, true}) {
    if (map) WriteMap("0411," + std::string(256, 'n') + "\n0411,japanese.csv\n");
    struct {
      char name[256];
      char guard[64];
    } out;
    std::memset(&out, '#', sizeof out);
    int32_t length = -7;
    EXPECT_EQ(ReadVelLang(0, 1041, out.name, &length), 0x1000) << map;
    EXPECT_EQ(length, -7);
    for (char c : out.name) ASSERT_EQ(c, '#');
    for (char c : out.guard) ASSERT_EQ(c, '#');
  }
}

TEST(LocaleDigits, FourUpperCaseDigitsWithoutTerminator) {
  const struct {
    int32_t value;
    const char* digits;
  } cases[] = {{1041, "0411"}, {0x040C, "040C"}, {0, "0000"}, {0x12345ABC, "5ABC"}, {-1, "FFFF"}};
  for (const auto& c : cases) {
    char out[6] = {'#', '#', '#', '#', '#', '#'};
    int32_t count = 0;
    EXPECT_EQ(ChangeLongToChar(c.value, out, &count), 0);
    EXPECT_EQ(std::string(out, 4), c.digits);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(out[4], '#');
  }
}

// Every pointer an export writes through or needs is checked on its own.
TEST(LanguageExports, RefuseEachMissingArgumentAlone) {
  char text[512];
  int32_t number = 0;
  const struct {
    const char* name;
    std::function<int32_t()> call;
  } cases[] = {
      {"ReadVelLang, no name", [&] { return ReadVelLang(0, 1041, nullptr, &number); }},
      {"ReadVelLang, no length", [&] { return ReadVelLang(0, 1041, text, nullptr); }},
      {"ReadLangFile, no path", [&] { return ReadLangFile(nullptr, 0, text, &number); }},
      {"ReadLangFile, no rows", [&] { return ReadLangFile("lang.csv", 8, nullptr, &number); }},
      {"ReadLangFile, no count", [&] { return ReadLangFile("lang.csv", 8, text, nullptr); }},
      {"GetStringLangData, no text", [&] { return GetStringLangData(nullptr, 0, 1, nullptr, &number); }},
      {"GetStringLangData, no length", [&] { return GetStringLangData(nullptr, 0, 1, text, nullptr); }},
      {"ChangeLongToChar, no digits", [&] { return ChangeLongToChar(1041, nullptr, &number); }},
      {"ChangeLongToChar, no count", [&] { return ChangeLongToChar(1041, text, nullptr); }},
      {"GetUserAndDomain, no name", [&] { return GetUserAndDomain(nullptr, &number); }},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(), LINGREL_FILE_ERROR) << c.name;
}

}  // namespace
