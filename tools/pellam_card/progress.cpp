#include "tools/pellam_card/progress.h"

#include <cmath>

namespace pellam_card {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string Duration(double seconds) {
  const long whole = std::lround(std::max(0.0, seconds));
  if (whole >= 3600)
    return std::to_string(whole / 3600) + "h" + (whole % 3600 / 60 < 10 ? "0" : "") +
           std::to_string(whole % 3600 / 60) + "m";
  if (whole >= 60)
    return std::to_string(whole / 60) + "m" + (whole % 60 < 10 ? "0" : "") + std::to_string(whole % 60) + "s";
  return std::to_string(whole) + "s";
}

Progress::Progress(ToolConsole& console, const ToolTexts& texts, int total, bool bar, bool to_error)
    : console_(console), texts_(texts), total_(total), bar_(bar), to_error_(to_error), started_(console.Seconds()) {
  if (bar_ && total_ > 0) {
    Write("\r");
    Write(Bar());
  }
}

void Progress::Write(const std::string& text) {
  if (to_error_) {
    console_.Err(text);
  } else {
    console_.Out(text);
  }
}

std::string Progress::Bar() const {
  const int filled = total_ > 0 ? done_ * kBarWidth / total_ : kBarWidth;
  std::string line(1, '[');
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  line += "] ";
  line += std::to_string(done_);
  line += '/';
  line += std::to_string(total_);
  if (done_ > 0 && done_ < total_) {
    const double per_row = (console_.Seconds() - started_) / done_;
    line += "  " + texts_.Format(tool_text::kTimeLeft, {Duration(per_row * (total_ - done_))});
  }
  return line + "   ";
}

void Progress::RowDone(int number, const std::string& subject, const std::string& result) {
  ++done_;
  if (bar_) {
    // The row's result above the bar, then the bar again.
    std::string line(1, '\r');
    line.append(kBarWidth + 40, ' ');
    line += '\r';
    line += texts_.Format(tool_text::kRowResult, {std::to_string(number), subject, result});
    line += '\n';
    line += Bar();
    Write(line);
    return;
  }
  Write(texts_.Format(tool_text::kCountedRowResult,
                      {std::to_string(done_), std::to_string(total_), std::to_string(number), subject, result}) +
        "\n");
}

void Progress::Finish() {
  if (bar_) Write("\n");
}

}  // namespace pellam_card
