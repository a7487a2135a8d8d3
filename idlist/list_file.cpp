#include "idlist/list_file.h"

#include <optional>
#include <string>
#include <vector>

#include "idlist/id_line.h"
#include "idlist/id_table.h"
#include "platform/file.h"
#include "platform/file_rewrite.h"
#include "platform/text_file.h"

namespace tallix {

namespace {

platform::FileHandle ToFile(std::int32_t handle) { return static_cast<platform::FileHandle>(handle); }

ListStatus ReadRaw(platform::FileHandle file, std::vector<char>& raw) {
  switch (platform::ReadWholeFile(file, raw)) {
    case platform::ReadResult::Ok: return ListStatus::Ok;
    case platform::ReadResult::NoMemory: return ListStatus::NoMemory;
    case platform::ReadResult::SizeFailed:
    case platform::ReadResult::ReadFailed: break;
  }
  return ListStatus::FileError;
}

// Where line `index` starts in the file's raw bytes: right after its
// `index`-th LF. Only the data before a 0x1A counts, as when the list is
// loaded. Nothing when the file has fewer lines than that.
std::optional<std::size_t> LineStart(std::string_view raw, std::int32_t index) {
  const std::string_view data = raw.substr(0, raw.find('\x1A'));
  std::size_t start = 0;
  for (std::int32_t line = 0; line < index; ++line) {
    const std::size_t lf = data.find('\n', start);
    if (lf == std::string_view::npos) return std::nullopt;
    start = lf + 1;
  }
  return start;
}

ListStatus Rewrite(platform::FileHandle file, const std::vector<char>& raw, std::size_t from, const std::string& tail) {
  const platform::Rewrite result = platform::RewriteFile(file, {raw.data(), raw.size()}, from, tail);
  return result == platform::Rewrite::Done ? ListStatus::Ok : ListStatus::FileError;
}

// The file's last line when it has no line end (the list was saved by hand):
// the bytes after the table's last line, up to a 0x1A. It is no record, yet
// it is never dropped: a replacement or deletion keeps it as it is, and an
// append ends it with CR LF first, so that it becomes a line of its own.
std::string_view UnendedLine(std::string_view raw, std::int32_t row_count) {
  const std::string_view data = raw.substr(0, raw.find('\x1A'));
  const std::optional<std::size_t> start = LineStart(data, row_count);
  if (!start) return {};
  const std::string_view rest = data.substr(*start);
  return rest.find('\n') == std::string_view::npos ? rest : std::string_view();
}

}  // namespace

ListStatus OpenList(const char* path, std::int32_t& handle) {
  handle = -1;
  platform::UniqueFile file(platform::OpenFile(path, platform::FileOpen::ReadWriteExisting));
  if (!file.valid() || file.get() > INT32_MAX) return ListStatus::FileError;
  if (platform::FinishPendingRewrite(file.get()) == platform::Recovery::Failed) return ListStatus::FileError;
  if (!platform::SeekFile(file.get(), 0)) return ListStatus::FileError;
  handle = static_cast<std::int32_t>(file.release());
  return ListStatus::Ok;
}

void CloseList(std::int32_t handle) {
  if (handle >= 0) platform::CloseFile(ToFile(handle));
}

ListStatus LoadList(std::int32_t handle, char* rows, std::int32_t& row_count) {
  const platform::FileHandle file = ToFile(handle);
  if (!platform::SeekFile(file, 0)) return ListStatus::FileError;
  std::vector<char> text;
  switch (platform::ReadRestAsText(file, text)) {
    case platform::ReadResult::Ok: break;
    case platform::ReadResult::NoMemory: return ListStatus::NoMemory;
    case platform::ReadResult::SizeFailed:
    case platform::ReadResult::ReadFailed: return ListStatus::FileError;
  }
  std::int32_t lines = 0;
  switch (FillTable({text.data(), text.size()}, rows, row_count, lines)) {
    case TableFill::Ok: row_count = lines; return ListStatus::Ok;
    case TableFill::TooManyLines: row_count = lines; return ListStatus::TooManyLines;
    case TableFill::LineTooLong: break;
  }
  return ListStatus::Refused;
}

ListStatus WriteLine(std::int32_t handle, std::int32_t index, std::string_view line, char* rows,
                     std::int32_t& row_count) {
  if (!IsStorableLine(line) || row_count < 0) return ListStatus::Refused;
  const bool append = index < 0 || index >= row_count;
  if (append && row_count >= kTableRows) return ListStatus::Refused;  // the table has no row left
  const std::int32_t target = append ? row_count : index;

  const platform::FileHandle file = ToFile(handle);
  std::vector<char> raw;
  if (const ListStatus read = ReadRaw(file, raw); read != ListStatus::Ok) return read;
  const std::string_view contents(raw.data(), raw.size());
  const std::optional<std::size_t> start = LineStart(contents, target);
  if (!start) return ListStatus::FileError;  // the file has fewer lines than the table

  // An unended last line before an append becomes a line, and a row, of its own.
  const std::string_view unended = UnendedLine(contents, row_count);
  const bool end_it = append && !unended.empty();
  const std::string unended_row = std::string(unended) + '\n';
  if (end_it && (row_count + 1 >= kTableRows || !IsStorableLine(unended_row))) return ListStatus::Refused;

  // The new line, then every later row and the unended line; anything after
  // a 0x1A (no list line) is cut off.
  std::string tail;
  if (end_it) tail.append(unended).append("\r\n");
  tail.append(line.substr(0, line.size() - 1)).append("\r\n");
  if (!append) {
    if (!AppendRowsAsLines(rows, target + 1, row_count, -1, tail)) return ListStatus::Refused;
    tail.append(unended);
  }
  if (const ListStatus written = Rewrite(file, raw, *start, tail); written != ListStatus::Ok) return written;

  if (end_it) StoreRow(rows, row_count++, unended_row);
  StoreRow(rows, append ? row_count++ : target, line);
  return ListStatus::Ok;
}

ListStatus DeleteLine(std::int32_t handle, std::int32_t index, char* rows, std::int32_t& row_count) {
  if (index < 0 || index >= row_count) return ListStatus::Ok;
  const platform::FileHandle file = ToFile(handle);
  std::vector<char> raw;
  if (const ListStatus read = ReadRaw(file, raw); read != ListStatus::Ok) return read;
  std::string contents;
  if (!AppendRowsAsLines(rows, 0, row_count, index, contents)) return ListStatus::Refused;
  contents.append(UnendedLine({raw.data(), raw.size()}, row_count));
  if (const ListStatus written = Rewrite(file, raw, 0, contents); written != ListStatus::Ok) return written;

  RemoveRow(rows, row_count, index);
  return ListStatus::Ok;
}

ListStatus BackupList(const char* source, const char* backup) {
  platform::UniqueFile from(platform::OpenFile(source, platform::FileOpen::ReadExisting));
  if (!from.valid()) return ListStatus::FileError;
  platform::UniqueFile to(platform::OpenFile(backup, platform::FileOpen::WriteCreate));
  if (!to.valid()) return ListStatus::FileError;

  std::vector<char> bytes;
  if (const ListStatus read = ReadRaw(from.get(), bytes); read != ListStatus::Ok) return read;
  if (std::optional<std::vector<char>> pending = platform::PendingContents(from.get(), {bytes.data(), bytes.size()}))
    bytes.swap(*pending);

  const bool copied = platform::SeekFile(to.get(), 0) && platform::WriteToFile(to.get(), bytes.data(), bytes.size()) &&
                      platform::TruncateFile(to.get(), bytes.size()) && platform::FlushFile(to.get());
  return copied ? ListStatus::Ok : ListStatus::FileError;
}

}  // namespace tallix
