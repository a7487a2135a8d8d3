#include "tools/pellam_card/batch_report.h"

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/text_file.h"
#include "tools/pellam_card/batch_file.h"
#include "tools/pellam_card/csv_text.h"

namespace pellam_card {

namespace {

constexpr const char* kHeader = "row,subject,result,text_id,message,status,issue_count,issue_date";
constexpr std::size_t kColumns = 8;

// The header line, or a start of it that an interruption cut short.
bool IsHeaderOrPart(std::string_view text) {
  const std::string_view header = kHeader;
  return text.size() <= header.size() && header.substr(0, text.size()) == text;
}

}  // namespace

bool ReportFile::Open(const std::string& path, bool append) {
  const bool created = !platform::PathExists(path.c_str());
  file_.reset(platform::OpenFile(path.c_str(), platform::FileOpen::ReadWriteCreate));
  if (!file_.valid()) return false;
  std::vector<char> bytes;
  if (platform::ReadWholeFile(file_.get(), bytes) != platform::ReadResult::Ok) return false;
  const std::string_view old(bytes.data(), bytes.size());
  std::string start;
  if (!append || IsHeaderOrPart(old)) {
    if (!platform::TruncateFile(file_.get(), 0) || !platform::SeekFile(file_.get(), 0)) return false;
    start = std::string(kHeader) + "\r\n";
  } else if (old.back() != '\n') {
    start = "\r\n";  // ends a row cut short, so that the next row is a line of its own
  }
  if (!start.empty() && !Put(start)) return false;
  return !created || platform::FlushFolderOf(path.c_str());
}

bool ReportFile::Put(const std::string& bytes) {
  return platform::WriteToFile(file_.get(), bytes.data(), bytes.size()) && platform::FlushFile(file_.get());
}

bool ReportFile::Write(const ReportRow& row) {
  if (!file_.valid()) return true;
  return Put(std::to_string(row.row) + "," + CsvField(row.subject) + "," + row.result + "," + row.text_id + "," +
             CsvField(row.message) + "," + row.status + "," + row.issue_count + "," + row.issue_date + "\r\n");
}

bool ReadReport(const std::string& path, const ToolTexts& texts, std::map<int, ReportRow>& last,
                std::string& error) {
  last.clear();
  std::vector<CsvRecord> records;
  if (!ReadCsvFile(path, texts, records, error)) return false;
  if (records.empty()) return true;  // created, nothing reported yet
  std::string header;
  for (const corvex::SecretText& field : records.front().fields) {
    if (!header.empty()) header += ',';
    header += field.View();
  }
  if (records.size() == 1 && IsHeaderOrPart(header)) return true;  // nothing reported yet
  if (header != kHeader) {
    error = texts.Format(tool_text::kNotAReport, {path});
    return false;
  }
  for (std::size_t i = 1; i < records.size(); ++i) {
    // A row cut short by an interruption is ignored.
    if (records[i].fields.size() != kColumns) continue;
    std::vector<std::string> fields;
    for (const corvex::SecretText& field : records[i].fields) fields.emplace_back(field.View());
    ReportRow row{
        std::atoi(fields[0].c_str()), fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]};
    if (row.row > 0) last[row.row] = row;
  }
  return true;
}

}  // namespace pellam_card
