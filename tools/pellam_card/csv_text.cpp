#include "tools/pellam_card/csv_text.h"

namespace pellam_card {

bool SplitCsv(std::string_view text, std::vector<CsvRecord>& records, std::string& error) {
  records.clear();
  CsvRecord record;
  std::string field;
  bool quoted = false;
  bool field_started = false;
  int line = 1;
  record.line = 1;
  const auto end_record = [&] {
    if (field_started || !record.fields.empty()) {
      record.fields.push_back(field);
      records.push_back(record);
    }
    record = CsvRecord{};
    field.clear();
    field_started = false;
  };
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (quoted) {
      if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
        field.push_back('"');
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field.push_back(c);
      }
      continue;
    }
    if (c == '"' && field.empty()) {
      quoted = true;
      field_started = true;
    } else if (c == ',') {
      record.fields.push_back(field);
      field.clear();
      field_started = true;
    } else if (c == '\n') {
      end_record();
      record.line = ++line;
    } else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      // the LF ends the record
    } else {
      field.push_back(c);
      field_started = true;
    }
  }
  if (quoted) {
    error = "line " + std::to_string(record.line) + ": a quoted field is not closed";
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
