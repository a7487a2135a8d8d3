// The batch file of `issue`: a header line naming the columns, then one row
// per card. Columns (any order; a missing one reads as empty):
//   card_use   "id" (user-ID card, the default) or "code" (user-code card)
//   user_id, password, pin, lockout, user_name, comment, user_code
//   count      issue count; empty: 1, or the listed count + 1 on a re-issue
//   date       issue date YYYY-MM-DD; empty: today, or the listed date
// An empty PIN and lock-out count mean PIN checking off; a PIN without a
// lock-out count gets the Issue dialog's default of 3.
#pragma once

#include <string>
#include <vector>

#include "app/core/issue_entry.h"
#include "tools/pellam_card/csv_text.h"
#include "tools/pellam_card/tool_texts.h"

namespace pellam_card {

struct BatchRow {
  int number = 0;  // data row, from 1
  int line = 0;    // line in the file
  pellam::IssueTexts texts;
  std::string count;
  std::string date;
  std::string card_use;  // as written, checked by the issue
};

// The rows of `path`; false with `error` for a file that cannot be read, a
// missing or unknown header column, a row with more fields than the header.
bool ReadBatchFile(const std::string& path, const ToolTexts& texts, std::vector<BatchRow>& rows, std::string& error);

// The subject a row is reported under: the user ID, or the user code of a
// user-code card.
std::string RowSubject(const BatchRow& row);

// Reads a whole file's bytes (into wiping storage: a batch file carries
// passwords and PINs); false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, corvex::SecretText& bytes);

// Reads a comma-separated file into its records; false with `error` (which
// names the file) when it cannot be read or a quoted field is not closed.
bool ReadCsvFile(const std::string& path, const ToolTexts& texts, std::vector<CsvRecord>& records,
                 std::string& error);

}  // namespace pellam_card
