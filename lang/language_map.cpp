#include "lang/language_map.h"

#include <cstring>

namespace lingrel {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The next comma-separated field of `line` from `pos`, skipping empty fields
// (two commas in a row count as one). Empty when there is none.
std::string_view NextField(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && line[pos] == ',') ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && line[pos] != ',') ++pos;
  return line.substr(start, pos - start);
}

// One line piece as fgets would give it: up to and including the LF, but at
// most kMapLinePiece characters. The LF is removed from the returned piece.
std::string_view NextPiece(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  std::size_t end = start;
  while (end < text.size() && end - start < kMapLinePiece) {
    if (text[end++] == '\n') {
      pos = end;
      return text.substr(start, end - start - 1);
    }
  }
  pos = end;
  return text.substr(start, end - start);
}

}  // namespace

const char* MapFileName(std::int32_t mode) { return mode == 1 ? "VelLang_Admin.csv" : "VelLang.csv"; }

std::string_view DefaultLanguageFile(std::int32_t mode) {
  return mode == 1 ? "english_string_admin.csv" : "english_string.csv";
}

void LocaleKey(std::int32_t value, char key[4]) {
  const auto bits = static_cast<std::uint32_t>(value);
  key[0] = kHexDigits[(bits >> 12) & 0xF];
  key[1] = kHexDigits[(bits >> 8) & 0xF];
  key[2] = kHexDigits[(bits >> 4) & 0xF];
  key[3] = kHexDigits[bits & 0xF];
}

MapResult FindLanguageFile(std::string_view map_text, const char key[4]) {
  std::size_t pos = 0;
  while (pos < map_text.size()) {
    const std::string_view line = NextPiece(map_text, pos);
    std::size_t field_pos = 0;
    const std::string_view locale = NextField(line, field_pos);
    if (locale.size() < 4 || std::memcmp(locale.data(), key, 4) != 0) continue;
    const std::string_view file = NextField(line, field_pos);
    if (file.empty()) continue;  // a key without a file name is no match
    if (file.size() > kFileNameMax) return {MapLookup::ValueTooLong, {}};
    return {MapLookup::Found, file};
  }
  return {MapLookup::NotListed, {}};
}

}  // namespace lingrel
