// Language and map files as anyone could write them: the bytes converted as
// the library reads text, then the map looked up for a few locales and the
// string table filled and searched for the identifiers the file names.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lang/language_map.h"
#include "lang/string_table.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  text.resize(platform::ConvertTextInPlace(text.data(), text.size()));
  const std::string_view view(text.data(), text.size());

  for (const std::int32_t locale : {0x0411, 0x0409, 0x0000, 0xFFFF}) {
    char key[4];
    lingrel::LocaleKey(locale, key);
    const lingrel::MapResult found = lingrel::FindLanguageFile(view, key);
    if (found.kind == lingrel::MapLookup::Found && found.value.size() > lingrel::kFileNameMax) __builtin_trap();
  }

  std::vector<char> rows(lingrel::kRowSize * lingrel::kTableRows, '\x7F');
  std::int32_t row_count = 0;
  if (lingrel::FillStringTable(view, rows.data(), row_count) != lingrel::TableFill::Ok) return 0;
  char out[lingrel::kTextMax + 1];
  lingrel::LookupText(rows.data(), row_count, 0, out);
  lingrel::LookupText(rows.data(), row_count, -1, out);
  for (std::int32_t row = 0; row < row_count && row < 8; ++row) {
    const char* start = rows.data() + static_cast<std::size_t>(row) * lingrel::kRowSize;
    const std::int32_t id = lingrel::ParseIdentifier(std::string_view(start, lingrel::kRowSize));
    lingrel::LookupText(rows.data(), row_count, id, out);
  }
  return 0;
}
