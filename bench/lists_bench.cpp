// Times the user-ID list and the operation log at their working sizes and
// counts what each operation writes:
//
//   a list of 5,000 rows: load, search for the last row, replacement of the
//   first row, deletion of the first row;
//   a full log of 47-byte lines (2,000,000 bytes less a few): one append of a
//   new line of 60, 300 and 400 bytes, each removing the oldest lines it must.
//
//   lists_bench [FOLDER] [REPEATS]
//
// The files are made in FOLDER (default: a new folder under the system's
// temporary folder), which should lie on the disk the program will use, since
// every change is flushed to the device.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "idlist/id_line.h"
#include "idlist/id_table.h"
#include "idlist/list_file.h"
#include "oplog/log_file.h"
#include "platform/clock.h"
#include "platform/file_faults.h"

namespace {

namespace faults = platform::file_faults;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kRows = 5000;
constexpr int kLogLines = 42553;  // of 47 bytes: 1,999,991 bytes
constexpr std::size_t kNewLineLengths[] = {60, 300, 400};

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    std::exit(1);
  }
}

std::string UserId(int i) { return "user" + std::to_string(100000 + i) + "@example.invalid"; }

std::string ListText() {
  std::string text;
  for (int i = 0; i < kRows; ++i) text += UserId(i) + ",2024,5,3," + std::to_string(1 + i % 9) + "\r\n";
  return text;
}

std::string LogText() {
  std::string text;
  for (int i = 0; i < kLogLines; ++i) {
    std::string line = "2024,5,3,9,7," + std::to_string(i) + ",admin,";
    line.resize(45, 'x');
    text += line + "\r\n";
  }
  return text;
}

// A log line of `length` bytes as the file holds it (its LF written CR LF).
std::string NewLogLine(std::size_t length) {
  std::string line = "2024,5,3,9,8,user100001@example.invalid,admin,";
  line.resize(length - 2, 'y');
  return line + "\n";
}

// Figures of one operation over all repeats.
struct Figures {
  std::vector<double> micros;
  std::uint64_t bytes_written = 0;  // per operation (the same every time)
  int flushes = 0;

  void Print(const char* name) const {
    std::vector<double> sorted = micros;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%-38s median %10.1f us   min %10.1f us   written %9llu bytes   flushes %d\n", name,
                sorted[sorted.size() / 2], sorted.front(), static_cast<unsigned long long>(bytes_written), flushes);
  }
};

// Times `work`, which must succeed, and counts its writes.
template <typename Work>
void Measure(Figures& figures, Work work) {
  faults::Disarm();
  const Clock::time_point start = Clock::now();
  const bool ok = work();
  const Clock::time_point end = Clock::now();
  if (!ok) {
    std::fprintf(stderr, "an operation failed\n");
    std::exit(1);
  }
  figures.micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  figures.bytes_written = faults::BytesWritten();
  figures.flushes = faults::Count(faults::Op::Flush);
}

// The list opened and loaded into a table of the program's size.
class LoadedList {
 public:
  explicit LoadedList(const std::string& path) : table_(std::size_t{kRows} * tallix::kRowSize) {
    if (tallix::OpenList(path.c_str(), handle_) != tallix::ListStatus::Ok || !Load()) {
      std::fprintf(stderr, "cannot open %s\n", path.c_str());
      std::exit(1);
    }
  }
  ~LoadedList() { tallix::CloseList(handle_); }
  LoadedList(const LoadedList&) = delete;
  LoadedList& operator=(const LoadedList&) = delete;

  bool Load() {
    count_ = kRows;
    return tallix::LoadList(handle_, table_.data(), count_) == tallix::ListStatus::Ok && count_ == kRows;
  }
  std::int32_t handle() const { return handle_; }
  char* rows() { return table_.data(); }
  std::int32_t& count() { return count_; }

 private:
  std::vector<char> table_;
  std::int32_t handle_ = -1;
  std::int32_t count_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path folder = argc > 1
                                     ? std::filesystem::path(argv[1])
                                     : std::filesystem::temp_directory_path() /
                                           ("lists-bench-" + std::to_string(Clock::now().time_since_epoch().count()));
  const int repeats = argc > 2 ? std::max(1, static_cast<int>(std::strtol(argv[2], nullptr, 10))) : 21;
  std::filesystem::create_directories(folder);
  const std::filesystem::path list = folder / "UserIDList.csv";
  const std::string list_text = ListText();
  const std::string log_text = LogText();
  std::printf("list: %d rows, %zu bytes; log: %d lines, %zu bytes; %d repeats; folder %s\n\n", kRows, list_text.size(),
              kLogLines, log_text.size(), repeats, folder.string().c_str());

  Figures load, search, replace, remove;
  for (int r = 0; r < repeats; ++r) {
    WriteFile(list, list_text);
    LoadedList opened(list.string());

    Measure(load, [&] { return opened.Load(); });

    const std::string last = UserId(kRows - 1);
    Measure(search, [&] {
      const platform::LocalDateTime today = platform::CurrentLocalDateTime();  // the defaults, as the export reads them
      tallix::IdNumbers numbers{today.year, today.month, today.day, 1};
      return tallix::FindUserId(opened.rows(), opened.count(), last, numbers) == kRows - 1;
    });

    const std::string line = UserId(0) + ",2025,1,2,10\n";
    Measure(replace, [&] {
      return tallix::WriteLine(opened.handle(), 0, line, opened.rows(), opened.count()) == tallix::ListStatus::Ok;
    });

    Measure(remove, [&] {
      return tallix::DeleteLine(opened.handle(), 0, opened.rows(), opened.count()) == tallix::ListStatus::Ok;
    });
  }

  load.Print("load 5000 rows (ReadIDFileAll)");
  search.Print("search for the last row");
  replace.Print("replace the first row");
  remove.Print("delete the first row");

  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  for (const std::size_t length : kNewLineLengths) {
    const std::string log_line = NewLogLine(length);
    Figures append;
    for (int r = 0; r < repeats; ++r) {
      WriteFile(jornet::kLogFileName, log_text);
      Measure(append, [&] { return jornet::AppendLogLine(log_line) == jornet::LogStatus::Ok; });
    }
    const std::string name = "append a " + std::to_string(length) + "-byte line to a full log";
    append.Print(name.c_str());
  }
  std::filesystem::current_path(previous);
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}
