// The result file of `issue`: a header line, then one row per result, each
// flushed to disk as soon as it is known, so that an interruption loses
// none. Before a card is written a "writing" row records the planned issue
// count and date; the row's final result follows once the card is done. A
// resumed batch appends to the same file; the last row of a batch row wins.
//
//   row,subject,result,text_id,message,status,issue_count,issue_date
//
// result: issued, refused (text_id and message of the check), failed
// (message, and the card library's status when a card call failed),
// writing, interrupted (a "writing" row found without its result).
#pragma once

#include <cstdio>
#include <map>
#include <string>

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
  ReportFile() = default;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  ~ReportFile();

  // Creates the file (or, with `append`, adds to an existing one, writing
  // the header only when it is empty). False when it cannot be opened.
  bool Open(const std::string& path, bool append);
  // Writes and flushes one row; false when that failed. Does nothing when no
  // file is open.
  bool Write(const ReportRow& row);

 private:
  std::FILE* file_ = nullptr;
};

// The last row of each batch row in an existing report; false with `error`
// when it cannot be read or is not a report.
bool ReadReport(const std::string& path, const ToolTexts& texts, std::map<int, ReportRow>& last,
                std::string& error);

}  // namespace pellam_card
