#include "tools/pellam_card/csv_text.h"

namespace pellam_card {

bool SplitCsv(std::string_view text, std::vector<CsvRecord>& records, int& unclosed_line) {
  records.clear();
  CsvRecord record;
  corvex::SecretText field;
  bool quoted = false;
  bool field_started = false;
  int line = 1;
  record.line = 1;
  const auto end_record = [&] {
    if (field_started || !record.fields.empty()) {
      record.fields.push_back(std::move(field));
      records.push_back(std::move(record));
    }
    record = CsvRecord{};
    field.Clear();
    field_started = false;
  };
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (quoted) {
      if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
        field.Append('"');
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field.Append(c);
      }
      continue;
    }
    if (c == '"' && field.empty()) {
      quoted = true;
      field_started = true;
    } else if (c == ',') {
      record.fields.push_back(std::move(field));
      field.Clear();
      field_started = true;
    } else if (c == '\n') {
      end_record();
      record.line = ++line;
    } else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      // the LF ends the record
    } else {
      field.Append(c);
      field_started = true;
    }
  }
  if (quoted) {
    unclosed_line = record.line;
    return false;
  }
  end_record();
  return true;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

}  // namespace pellam_card
