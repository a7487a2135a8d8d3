// An operation log as anyone could have left it: its oldest lines removed
// one by one until none is left, each removal checked to shrink the file;
// then a line appended to a log of the same contents.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "oplog/log_file.h"
#include "platform/file.h"

namespace {

// The log lives in the current directory: a directory of this process's own.
// Corpus paths given to this target must therefore be absolute.
bool EnterOwnDirectory() {
  const std::string path = "/tmp/pellam-fuzz-oplog-" + std::to_string(getpid());
  std::filesystem::create_directories(path);
  return chdir(path.c_str()) == 0;
}

void WriteLog(std::string_view contents) {
  std::ofstream file(jornet::kLogFileName, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = EnterOwnDirectory();
  if (!ready) __builtin_trap();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view log = input.substr(0, split);
  const std::string_view line = split == std::string_view::npos ? "x,1\n" : input.substr(split + 1);

  WriteLog(log);
  {
    platform::UniqueFile file(platform::OpenFile(jornet::kLogFileName, platform::FileOpen::ReadWriteExisting));
    if (!file.valid()) __builtin_trap();
    std::uint64_t before = log.size();
    std::uint64_t after = 0;
    while (jornet::RemoveOldestLine(file.get(), after) == jornet::LogStatus::Ok) {
      if (after >= before) __builtin_trap();  // every removal shrinks the log
      before = after;
    }
  }
  WriteLog(log);
  jornet::AppendLogLine(line);
  return 0;
}
