// Comma-separated text as the batch and report files use it: fields may be
// enclosed in double quotes (then they may hold commas, line breaks and
// doubled double quotes); lines end with CR LF or LF; bytes are not
// converted (the system's ANSI code page, like the user-ID list). Fields are
// held in wiping storage, since a batch file carries passwords and PINs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cardlib/cipher/secret_text.h"

namespace pellam_card {

struct CsvRecord {
  int line = 0;  // the line it starts on, from 1
  std::vector<corvex::SecretText> fields;
};

// Every record of `text`; empty lines are skipped. False with the line of
// the record in `unclosed_line` when a quoted field is not closed.
bool SplitCsv(std::string_view text, std::vector<CsvRecord>& records, int& unclosed_line);

// One field as written: quoted when it holds a comma, a double quote or a
// line break.
std::string CsvField(std::string_view text);

}  // namespace pellam_card
