// A user-ID list as anyone could write it: stored in a file, opened and
// loaded into a small table, then searched, and a line replaced, appended and
// deleted, each change checked against the file it leaves.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "idlist/id_line.h"
#include "idlist/id_table.h"
#include "idlist/list_file.h"

namespace {

constexpr std::int32_t kCapacity = tallix::kTableRows;  // the program's table, as every caller has

const std::string& ListPath() {
  static const std::string path = "/tmp/pellam-fuzz-idlist-" + std::to_string(getpid()) + ".csv";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t selector = data[0];
  {
    std::ofstream file(ListPath(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
  }
  std::int32_t handle = 0;
  if (tallix::OpenList(ListPath().c_str(), handle) != tallix::ListStatus::Ok) return 0;

  std::vector<char> rows(tallix::kRowSize * kCapacity, '\0');
  std::int32_t row_count = kCapacity;
  if (tallix::LoadList(handle, rows.data(), row_count) == tallix::ListStatus::Ok) {
    tallix::IdNumbers numbers{};
    for (std::int32_t row = 0; row < row_count; ++row) {
      const std::string_view text = tallix::RowText(tallix::RowAt(rows.data(), row));
      tallix::FindUserId(rows.data(), row_count, text.substr(0, text.find(',')), numbers);
    }
    const std::string_view user_id =
        row_count > 0 ? tallix::RowText(tallix::RowAt(rows.data(), 0)).substr(0, 8) : "abc";
    char line[tallix::kRowSize];
    const auto length = tallix::MakeIdLine(user_id, {2024, 5, 3, 1}, line);
    if (length) {
      const std::int32_t index = row_count > 0 ? selector % (row_count + 1) : 0;
      tallix::WriteLine(handle, index, std::string_view(line, *length), rows.data(), row_count);
    }
    if (row_count > 0) tallix::DeleteLine(handle, selector % row_count, rows.data(), row_count);
    std::string out;
    tallix::AppendRowsAsLines(rows.data(), 0, row_count, -1, out);
  }
  tallix::CloseList(handle);
  return 0;
}
