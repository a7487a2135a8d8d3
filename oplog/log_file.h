// The log file: appending a line, and removing the oldest lines to keep the
// log within its size limit. Removals go through platform::RewriteFile, so a
// failed one leaves the log as it was and an interrupted one is completed
// when the log is next opened.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/file.h"

namespace jornet {

inline constexpr const char* kLogFileName = "UserCardProcessLog.csv";
inline constexpr std::uint64_t kSizeLimit = 2'000'000;

enum class LogStatus {
  Ok,
  OpenFailed,    // missing, held by another handle, or not sized
  TrimFailed,    // removing an oldest line failed; the log is as before that removal
  AppendFailed,  // the append failed and was undone
  NoMemory,      // no buffer for the log's contents
  FileError,     // a read or write failed
  NoLineEnd,     // the log holds no LF, so it has no line to remove
};

// Opens the log in the current directory, completes an interrupted removal,
// removes oldest lines while its size plus `line`'s length is above
// kSizeLimit (all in one rewrite, the result the same as removing them one
// by one), and appends `line` with each LF written as CR LF, then flushes it
// to the device. A last line without line end (cut short by a power loss) is
// kept and ended with CR LF before `line`; the size rule counts those bytes.
LogStatus AppendLogLine(std::string_view line);

// Removes the log's first line, through its LF (whether it ends with CR LF or
// a bare LF), and sets `size` to the new size in bytes.
LogStatus RemoveOldestLine(platform::FileHandle file, std::uint64_t& size);

}  // namespace jornet
