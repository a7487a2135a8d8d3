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

// Appends at byte `end`; a failed append is cut off again, so that no torn
// line is left to run into the next one.
bool AppendAt(platform::FileHandle file, std::uint64_t end, std::string_view bytes) {
  if (platform::SeekFile(file, end) && platform::WriteToFile(file, bytes.data(), bytes.size())) return true;
  platform::TruncateFile(file, end);
  return false;
}

}  // namespace

LogStatus AppendLogLine(std::string_view line) {
  platform::UniqueFile file(platform::OpenFile(kLogFileName, platform::FileOpen::ReadWriteExisting));
  if (!file.valid()) return LogStatus::OpenFailed;
  if (platform::FinishPendingRewrite(file.get()) == platform::Recovery::Failed) return LogStatus::OpenFailed;
  std::uint64_t size = 0;
  if (!platform::FileSize(file.get(), size)) return LogStatus::OpenFailed;

  while (size + line.size() > kSizeLimit) {
    if (RemoveOldestLine(file.get(), size) != LogStatus::Ok) return LogStatus::TrimFailed;
  }
  return AppendAt(file.get(), size, AsFileText(line)) ? LogStatus::Ok : LogStatus::AppendFailed;
}

LogStatus RemoveOldestLine(platform::FileHandle file, std::uint64_t& size) {
  std::vector<char> log;
  switch (platform::ReadWholeFile(file, log)) {
    case platform::ReadResult::Ok: break;
    case platform::ReadResult::NoMemory: return LogStatus::NoMemory;
    case platform::ReadResult::SizeFailed:
    case platform::ReadResult::ReadFailed: return LogStatus::FileError;
  }
  const std::string_view old_log(log.data(), log.size());
  const std::size_t lf = old_log.find('\n');
  if (lf == std::string_view::npos) return LogStatus::NoLineEnd;
  const std::string_view rest = old_log.substr(lf + 1);
  if (platform::RewriteFile(file, old_log, 0, rest) != platform::Rewrite::Done) return LogStatus::FileError;
  size = rest.size();
  return LogStatus::Ok;
}

}  // namespace jornet
