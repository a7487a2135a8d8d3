#include "tools/pellam_card/batch_file.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "app/core/entry_checks.h"
#include "cardlib/cipher/secure_wipe.h"
#include "tools/pellam_card/csv_text.h"

namespace pellam_card {

namespace {

enum Column { kCardUse, kUserId, kPassword, kPin, kLockout, kUserName, kComment, kUserCode, kCount, kDate, kColumns };

constexpr std::array<const char*, kColumns> kColumnNames = {
    "card_use", "user_id", "password", "pin", "lockout", "user_name", "comment", "user_code", "count", "date",
};

// Only the password and PIN stay in wiping storage.
BatchRow MakeRow(const std::array<corvex::SecretText, kColumns>& value) {
  const auto text = [&value](Column column) { return std::string(value[column].View()); };
  BatchRow row;
  pellam::IssueTexts& texts = row.texts;
  row.card_use = text(kCardUse);
  texts.user_id_card = row.card_use != "code";
  texts.user_id = text(kUserId);
  texts.password = value[kPassword];
  texts.password_again = value[kPassword];
  texts.pin_check = !value[kPin].empty() || !value[kLockout].empty();
  texts.pin = value[kPin];
  texts.pin_again = value[kPin];
  const bool default_lockout = value[kLockout].empty() && texts.pin_check;
  texts.lockout = default_lockout ? std::to_string(pellam::kDefaultLockout) : text(kLockout);
  texts.user_name = text(kUserName);
  texts.comment = text(kComment);
  texts.user_code = text(kUserCode);
  row.count = text(kCount);
  row.date = text(kDate);
  return row;
}

}  // namespace

bool ReadWholeFile(const std::string& path, corvex::SecretText& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes.Clear();
  char chunk[4096];
  const corvex::ScopedWipe chunk_wipe(chunk, sizeof chunk);
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.Append(std::string_view(chunk, got));
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

bool ReadCsvFile(const std::string& path, const ToolTexts& texts, std::vector<CsvRecord>& records, std::string& error) {
  corvex::SecretText bytes;
  if (!ReadWholeFile(path, bytes)) {
    error = texts.Format(tool_text::kCannotRead, {path});
    return false;
  }
  int unclosed_line = 0;
  if (!SplitCsv(bytes.View(), records, unclosed_line)) {
    error = texts.Format(tool_text::kQuoteNotClosed, {path, std::to_string(unclosed_line)});
    return false;
  }
  return true;
}

bool ReadBatchFile(const std::string& path, const ToolTexts& texts, std::vector<BatchRow>& rows, std::string& error) {
  rows.clear();
  std::vector<CsvRecord> records;
  if (!ReadCsvFile(path, texts, records, error)) return false;
  if (records.empty()) {
    error = texts.Format(tool_text::kNoHeader, {path});
    return false;
  }
  std::vector<int> columns;
  for (const corvex::SecretText& name : records.front().fields) {
    const auto found = std::find(kColumnNames.begin(), kColumnNames.end(), name.View());
    if (found == kColumnNames.end()) {
      error = FillIn(texts.Row(tool_text::kUnknownColumn), {path, ConsoleSafe(name.View())});
      return false;
    }
    columns.push_back(static_cast<int>(found - kColumnNames.begin()));
  }
  for (std::size_t i = 1; i < records.size(); ++i) {
    const CsvRecord& record = records[i];
    if (record.fields.size() > columns.size()) {
      error = texts.Format(tool_text::kTooManyFields, {path, std::to_string(record.line)});
      return false;
    }
    std::array<corvex::SecretText, kColumns> value;
    for (std::size_t f = 0; f < record.fields.size(); ++f) value[columns[f]] = record.fields[f];
    BatchRow row = MakeRow(value);
    row.number = static_cast<int>(i);
    row.line = record.line;
    rows.push_back(std::move(row));
  }
  return true;
}

std::string RowSubject(const BatchRow& row) { return row.texts.user_id_card ? row.texts.user_id : row.texts.user_code; }

}  // namespace pellam_card
