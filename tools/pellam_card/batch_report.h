// The result file of `issue`: a header line, then one row per result, each
// forced to the storage device as soon as it is known, so that an
// interruption loses none. Before a card is written a "writing" row records
// the planned issue count and date, and in its message the local time and
// the administrator ID its log line will carry; the row's final result
// follows once the card is done. A resumed batch appends to the same file;
// the last row of a batch row wins.
//
//   row,subject,result,text_id,message,status,issue_count,issue_date
//
// result: issued, refused (text_id and message of the check), failed
// (message, and the card library's status when a card call failed),
// writing, interrupted (a "writing" row found without its result).
#pragma once

#include <map>
#include <string>

#include "platform/file.h"
#include "tools/pellam_card/tool_texts.h"

namespace pellam_card {

struct ReportRow {
  int row = 0;
  std::string subject;
  std::string result;
  std::string text_id;  // the language text's id, when the message is one
  std::string message;
  std::string status;  // "0x5", when a card call failed
  std::string issue_count;
  std::string issue_date;  // YYYY-MM-DD
};

inline constexpr const char* kIssued = "issued";
inline constexpr const char* kRefused = "refused";
inline constexpr const char* kFailed = "failed";
inline constexpr const char* kWriting = "writing";
inline constexpr const char* kInterrupted = "interrupted";

class ReportFile {
 public:
  // Creates the file (or, with `append`, adds to an existing one: a row cut
  // short by an interruption is ended first, and a file holding no more than
  // a cut header starts again), held without sharing until the object goes.
  // False when it cannot be opened or prepared.
  bool Open(const std::string& path, bool append);
  // Writes one row and forces it to the device; false when that failed.
  // Does nothing when no file is open.
  bool Write(const ReportRow& row);

 private:
  bool Put(const std::string& bytes);

  platform::UniqueFile file_;
};

// The last row of each batch row in an existing report; false with `error`
// when it cannot be read or is not a report.
bool ReadReport(const std::string& path, const ToolTexts& texts, std::map<int, ReportRow>& last,
                std::string& error);

}  // namespace pellam_card
