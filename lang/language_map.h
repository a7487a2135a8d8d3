// The language map: which language file serves which Windows locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace lingrel {

inline constexpr std::size_t kMapLinePiece = 1023;  // a map line is read in pieces this long
inline constexpr std::size_t kFileNameMax = 255;    // longest file name the caller's buffer takes

// The map file for a mode: 1 is the administrator set, anything else standard.
const char* MapFileName(std::int32_t mode);

// The file used when the map does not list the locale.
std::string_view DefaultLanguageFile(std::int32_t mode);

// Bits 15..0 of `value` as four upper-case hexadecimal digits.
void LocaleKey(std::int32_t value, char key[4]);

enum class MapLookup {
  Found,        // `value` holds the file name of the first matching line
  NotListed,    // no line matches
  ValueTooLong  // the first matching line's file name exceeds kFileNameMax
};

struct MapResult {
  MapLookup kind = MapLookup::NotListed;
  std::string_view value;
};

// Looks the key up in the map's text (already converted as text). Each line
// is read in pieces of at most kMapLinePiece characters; fields are separated
// by commas and empty fields are skipped. A line matches when the first four
// characters of its first field equal the key and it has a second field.
MapResult FindLanguageFile(std::string_view map_text, const char key[4]);

}  // namespace lingrel
