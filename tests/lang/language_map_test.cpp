// Choosing the language file: ReadVelLang and ChangeLongToChar.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lang/Lingrel.h"
#include "platform/file.h"
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

TEST_F(LanguageMap, KeyMatchesWithOrWithoutFurtherFields) {
  for (const char* line : {"0411,japanese.csv\r\n", "0411,japanese.csv,\r\n", "0411,japanese.csv,third\n",
                           "0411,japanese.csv", "04110,japanese.csv\n", ",,0411,,japanese.csv\n"}) {
    WriteMap(std::string("0409,english_string.csv\r\n") + line);
    const Choice choice = Choose(0, 1041);
    EXPECT_EQ(choice.result, 0) << line;
    EXPECT_EQ(choice.name, "japanese.csv") << line;
    EXPECT_EQ(choice.length, 12) << line;
  }
}

TEST_F(LanguageMap, KeyIsComparedExactlyAndFirstMatchWins) {
  WriteMap("040c,french_lower.csv\n040C,french.csv\n040C,french_second.csv\n");
  EXPECT_EQ(Choose(0, 0x040C).name, "french.csv");
  // Only the low 16 bits of the locale form the key.
  EXPECT_EQ(Choose(0, 0x7FFF040C).name, "french.csv");

  WriteMap("040c,french_lower.csv\n");
  const Choice fallback = Choose(0, 0x040C);
  EXPECT_EQ(fallback.result, 0);
  EXPECT_EQ(fallback.name, "english_string.csv");
  EXPECT_EQ(fallback.length, 18);
}

TEST_F(LanguageMap, EmptyOrUnlistedGivesTheEnglishFileOfTheSet) {
  WriteMap("");
  WriteMap("", "VelLang_Admin.csv");
  EXPECT_EQ(Choose(0, 1041).name, "english_string.csv");
  EXPECT_EQ(Choose(7, 1041).name, "english_string.csv");
  const Choice admin = Choose(1, 1041);
  EXPECT_EQ(admin.result, 0);
  EXPECT_EQ(admin.name, "english_string_admin.csv");
  EXPECT_EQ(admin.length, 24);
}

TEST_F(LanguageMap, ModeOneReadsTheAdministratorMap) {
  WriteMap("0411,standard.csv\n");
  WriteMap("0411,admin.csv\n", "VelLang_Admin.csv");
  EXPECT_EQ(Choose(1, 1041).name, "admin.csv");
  EXPECT_EQ(Choose(0, 1041).name, "standard.csv");
  EXPECT_EQ(Choose(2, 1041).name, "standard.csv");
}

TEST_F(LanguageMap, KeyWithoutFileNameIsNoMatch) {
  WriteMap("0411\n0411,\n0411,,\n0411,japanese.csv\n");
  EXPECT_EQ(Choose(0, 1041).name, "japanese.csv");
  WriteMap("0411,\n");
  EXPECT_EQ(Choose(0, 1041).name, "english_string.csv");
}

TEST_F(LanguageMap, MissingMapLeavesTheOutputsUntouched) {
  const Choice choice = Choose(0, 1041);
  EXPECT_EQ(choice.result, 0x1000);
  EXPECT_EQ(choice.name, "####");
  EXPECT_EQ(choice.length, -7);
}

TEST_F(LanguageMap, MapHeldWithoutSharingCannotBeRead) {
  WriteMap("0411,japanese.csv\n");
  platform::UniqueFile held(platform::OpenFile(dir_.file("VelLang.csv").c_str(), platform::FileOpen::ReadExisting));
  ASSERT_TRUE(held.valid());
  EXPECT_EQ(Choose(0, 1041).result, 0x1000);
}

TEST_F(LanguageMap, FileNameOf255CharactersFitsAndLongerIsRefused) {
  const std::string longest(255, 'n');
  WriteMap("0411," + longest + "\n");
  Choice choice = Choose(0, 1041);
  EXPECT_EQ(choice.result, 0);
  EXPECT_EQ(choice.name, longest);
  EXPECT_EQ(choice.length, 255);

  WriteMap("0411," + longest + "x\n0411,japanese.csv\n");
  struct {
    char name[256];
    char guard[64];
  } out;
  std::memset(&out, '#', sizeof out);
  int32_t length = -7;
  EXPECT_EQ(ReadVelLang(0, 1041, out.name, &length), 0x1000);
  EXPECT_EQ(length, -7);
  for (char c : out.name) ASSERT_EQ(c, '#');
  for (char c : out.guard) ASSERT_EQ(c, '#');
}

TEST_F(LanguageMap, LongLinesAreReadInPiecesOf1023Characters) {
  // The second piece of this line starts with a key of its own.
  const std::string first_piece = "0409," + std::string(1018, 'x');
  WriteMap(first_piece + "0411,piece.csv\n");
  EXPECT_EQ(Choose(0, 1041).name, "piece.csv");
  // One character less and the key is inside the first piece's text.
  WriteMap(first_piece.substr(1) + "0411,piece.csv\n");
  EXPECT_EQ(Choose(0, 1041).name, "english_string.csv");
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

}  // namespace
