#include "tools/pellam_card/batch_report.h"

#include <cstdlib>
#include <vector>

#include "tools/pellam_card/batch_file.h"
#include "tools/pellam_card/csv_text.h"

namespace pellam_card {

namespace {

constexpr const char* kHeader = "row,subject,result,text_id,message,status,issue_count,issue_date";
constexpr std::size_t kColumns = 8;

}  // namespace

ReportFile::~ReportFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ReportFile::Open(const std::string& path, bool append) {
  file_ = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (file_ == nullptr) return false;
  std::fseek(file_, 0, SEEK_END);
  if (std::ftell(file_) == 0) {
    std::fprintf(file_, "%s\r\n", kHeader);
    std::fflush(file_);
  }
  return true;
}

bool ReportFile::Write(const ReportRow& row) {
  if (file_ == nullptr) return true;
  const std::string line = std::to_string(row.row) + "," + CsvField(row.subject) + "," + row.result + "," +
                           row.text_id + "," + CsvField(row.message) + "," + row.status + "," + row.issue_count + "," +
                           row.issue_date + "\r\n";
  return std::fwrite(line.data(), 1, line.size(), file_) == line.size() && std::fflush(file_) == 0;
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
