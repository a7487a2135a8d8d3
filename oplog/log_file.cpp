#include "oplog/log_file.h"

#include <string>
#include <vector>

#include "platform/file_rewrite.h"

namespace jornet {

namespace {

// A text-mode write of the line: every LF becomes CR LF.
std::string AsFileText(std::string_view line) {
  std::string text;
  text.reserve(line.size() + 1);
  for (char c : line) {
    if (c == '\n') text.push_back('\r');
    text.push_back(c);
  }
  return text;
}

// Appends at byte `end` and forces the line to the device; a failed append
// is cut off again, so that no torn line is left to run into the next one.
bool AppendAt(platform::FileHandle file, std::uint64_t end, std::string_view bytes) {
  if (platform::SeekFile(file, end) && platform::WriteToFile(file, bytes.data(), bytes.size()) &&
      platform::FlushFile(file)) {
    return true;
  }
  platform::TruncateFile(file, end);
  return false;
}

// Removes the oldest lines in one rewrite: only the first when `one_line`,
// else as many as it takes for `room` more bytes to fit (all of them, with
// NoLineEnd, when they run out first).
LogStatus CutOldestLines(platform::FileHandle file, std::uint64_t room, bool one_line, std::uint64_t& size) {
  std::vector<char> log;
  switch (platform::ReadWholeFile(file, log)) {
    case platform::ReadResult::Ok: break;
    case platform::ReadResult::NoMemory: return LogStatus::NoMemory;
    case platform::ReadResult::SizeFailed:
    case platform::ReadResult::ReadFailed: return LogStatus::FileError;
  }
  const std::string_view old_log(log.data(), log.size());
  std::size_t cut = 0;
  bool done = false;
  do {
    const std::size_t lf = old_log.find('\n', cut);
    if (lf == std::string_view::npos) break;
    cut = lf + 1;
    done = one_line || old_log.size() - cut + room <= kSizeLimit;
  } while (!done);
  if (cut == 0) return LogStatus::NoLineEnd;
  const std::string_view rest = old_log.substr(cut);
  if (platform::RewriteFile(file, old_log, 0, rest) != platform::Rewrite::Done) return LogStatus::FileError;
  size = rest.size();
  return done ? LogStatus::Ok : LogStatus::NoLineEnd;
}

}  // namespace

LogStatus AppendLogLine(std::string_view line) {
  platform::UniqueFile file(platform::OpenFile(kLogFileName, platform::FileOpen::ReadWriteExisting));
  if (!file.valid()) return LogStatus::OpenFailed;
  if (platform::FinishPendingRewrite(file.get()) == platform::Recovery::Failed) return LogStatus::OpenFailed;
  std::uint64_t size = 0;
  if (!platform::FileSize(file.get(), size)) return LogStatus::OpenFailed;

  if (size + line.size() > kSizeLimit && CutOldestLines(file.get(), line.size(), false, size) != LogStatus::Ok) {
    return LogStatus::TrimFailed;
  }
  // A line that a stopped process left cut short is ended first, so that the
  // new line does not run into it.
  char last = '\n';
  std::size_t got = 0;
  if (size > 0 &&
      !(platform::SeekFile(file.get(), size - 1) && platform::ReadFromFile(file.get(), &last, 1, got) && got == 1)) {
    return LogStatus::AppendFailed;
  }
  const std::string text = (last == '\n' ? "" : "\r\n") + AsFileText(line);
  return AppendAt(file.get(), size, text) ? LogStatus::Ok : LogStatus::AppendFailed;
}

LogStatus RemoveOldestLine(platform::FileHandle file, std::uint64_t& size) {
  return CutOldestLines(file, 0, true, size);
}

}  // namespace jornet
