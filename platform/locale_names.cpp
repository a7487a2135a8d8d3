// Mapping from POSIX locale names to Windows locale identifiers. Portable, so
// that both builds can test it; only the POSIX stand-in uses it for real.
#include <array>
#include <cctype>
#include <string>

#include "platform/locale.h"

namespace platform {

namespace {

struct LocaleRow {
  std::string_view name;  // language, or language_TERRITORY for a closer match
  std::uint32_t id;
};

// Rows with a territory come before the plain language row they refine.
constexpr std::array<LocaleRow, 30> kLocaleRows{{
    {"ja", 0x0411},    {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en", 0x0409},    {"de_AT", 0x0C07},
    {"de_CH", 0x0807}, {"de", 0x0407},    {"fr_CA", 0x0C0C}, {"fr_BE", 0x080C}, {"fr_CH", 0x100C}, {"fr", 0x040C},
    {"es_MX", 0x080A}, {"es", 0x0C0A},    {"it", 0x0410},    {"nl", 0x0413},    {"pt_BR", 0x0416}, {"pt", 0x0816},
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh", 0x0804},    {"ko", 0x0412},    {"ru", 0x0419},    {"pl", 0x0415},
    {"sv", 0x041D},    {"da", 0x0406},    {"fi", 0x040B},    {"nb", 0x0414},    {"cs", 0x0405},    {"tr", 0x041F},
}};

// "ja_JP.UTF-8@x" -> language "ja", territory "JP".
void SplitName(std::string_view name, std::string& language, std::string& territory) {
  const std::size_t end = name.find_first_of(".@");
  if (end != std::string_view::npos) name = name.substr(0, end);
  const std::size_t sep = name.find_first_of("_-");
  const std::string_view lang = name.substr(0, sep);
  language.clear();
  for (char c : lang) language += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  territory.clear();
  if (sep != std::string_view::npos) {
    for (char c : name.substr(sep + 1)) {
      territory += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
}

}  // namespace

std::uint32_t LocaleIdFromName(std::string_view name) {
  std::string language;
  std::string territory;
  SplitName(name, language, territory);
  if (language.empty()) return kLocaleEnglishUs;
  const std::string full = language + "_" + territory;
  for (const LocaleRow& row : kLocaleRows) {
    if (row.name == full) return row.id;
  }
  for (const LocaleRow& row : kLocaleRows) {
    if (row.name == language) return row.id;
  }
  return kLocaleEnglishUs;
}

}  // namespace platform
