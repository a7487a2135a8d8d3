// The progress of a batch: on a terminal one bar line redrawn in place with
// the count done and the time left; otherwise one plain line per row.
#pragma once

#include <string>

#include "tools/pellam_card/tool.h"
#include "tools/pellam_card/tool_texts.h"

namespace pellam_card {

class Progress {
 public:
  // `total` rows to work on; `bar` draws the bar, else plain lines go out
  // through `Out` (or `Err` with `to_error`).
  Progress(ToolConsole& console, const ToolTexts& texts, int total, bool bar, bool to_error);

  // One row finished with `result` ("issued", "failed: ..."); `subject` as
  // the console may show it.
  void RowDone(int number, const std::string& subject, const std::string& result);
  // Ends the bar's line.
  void Finish();

 private:
  void Write(const std::string& text);
  std::string Bar() const;

  ToolConsole& console_;
  const ToolTexts& texts_;
  int total_;
  bool bar_;
  bool to_error_;
  int done_ = 0;
  double started_;
};

// Seconds as "1h02m", "3m20s" or "45s".
std::string Duration(double seconds);

}  // namespace pellam_card
