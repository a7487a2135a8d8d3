// `issue --batch`: every row checked with the Issue dialog's rules before the
// first card is asked for, then one blank card per accepted row, written in
// the dialog's order and recorded in the list and the log as the dialog
// records it, with a result row per input row.
#include <map>
#include <optional>
#include <set>

#include "app/core/entry_checks.h"
#include "app/core/issue_entry.h"
#include "app/core/operation_log.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "oplog/Jornet.h"
#include "platform/clock.h"
#include "tools/pellam_card/batch_file.h"
#include "tools/pellam_card/batch_report.h"
#include "tools/pellam_card/commands.h"
#include "tools/pellam_card/issue_log_mark.h"
#include "tools/pellam_card/json_text.h"
#include "tools/pellam_card/progress.h"

namespace pellam_card {

namespace {

struct Tally {
  int issued = 0;
  int already_issued = 0;
  int refused = 0;
  int failed = 0;
  int not_done = 0;
  bool stopped = false;
  std::string json_rows;
};

class BatchIssue {
 public:
  BatchIssue(ToolSession& session, std::vector<BatchRow> rows)
      : session_(session), texts_(session.texts()), context_(session.context()), rows_(std::move(rows)) {}

  int Run();

 private:
  bool LoadPreviousReport();
  // Without --resume an existing report is replaced only when it holds no
  // more than refusals: the results of cards are never lost, and the rows
  // they mark issued are not issued again by mistake.
  bool MayReplaceReport(const std::string& path);
  // A row of an earlier run that stopped while its card was being written:
  // issued when the list holds exactly the line its card would have given,
  // and then given its log line when the run stopped before writing it.
  void ResolveInterrupted(const BatchRow& row, const ReportRow& writing);
  // The Issue dialog's checks on a row, then the batch's own: the card use,
  // a user ID given twice, the list's room for the batch's new user IDs, and
  // a given count and date. The entry and issue records hold the row after
  // an empty result; otherwise the refusal.
  ReportRow CheckRow(const BatchRow& row, bool counting);
  bool IssueRow(const BatchRow& row, int position, int total, Progress& progress);
  void WriteMissingLogLine(const BatchRow& row, const ReportRow& writing);
  void Report(const ReportRow& row, Progress* progress);
  // The refusal with a language text (`text_id`), put into `frame` when given.
  ReportRow Refusal(const BatchRow& row, std::int32_t text_id, std::optional<TextLine> frame = {});
  int ExitStatus() const;

  ToolSession& session_;
  const ToolTexts& texts_;
  pellam::ProgramContext& context_;
  std::vector<BatchRow> rows_;
  std::map<int, ReportRow> previous_;
  ReportFile report_;
  Tally tally_;
  std::map<std::string, int> user_id_rows_;
  int new_user_ids_ = 0;
};

std::string DateText(const pellam::IssueInfo& issue) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", issue.year, issue.month, issue.day);
  return text;
}

// The console's name of a report row's result.
std::string ResultText(const ToolTexts& texts, const std::string& result) {
  struct Name {
    const char* result;
    TextLine text;
  };
  static constexpr Name kNames[] = {{kIssued, tool_text::kIssued},
                                    {kRefused, tool_text::kRefused},
                                    {kFailed, tool_text::kFailed},
                                    {kInterrupted, tool_text::kInterrupted}};
  for (const Name& name : kNames) {
    if (result == name.result) return texts.Text(name.text);
  }
  return result;
}

ReportRow BaseRow(const BatchRow& row, const char* result) {
  ReportRow base;
  base.row = row.number;
  base.subject = RowSubject(row);
  base.result = result;
  return base;
}

int BatchIssue::ExitStatus() const {
  if (tally_.failed > 0) return kExitCardFailure;
  if (tally_.stopped || tally_.not_done > 0) return kExitStopped;
  if (tally_.refused > 0) return kExitRefused;
  return kExitOk;
}

void BatchIssue::Report(const ReportRow& row, Progress* progress) {
  if (!report_.Write(row)) session_.Note(tool_text::kReportNotWritten);
  if (row.result == kWriting) return;
  std::string what = ResultText(texts_, row.result);
  if (!row.message.empty()) what += ": " + ConsoleSafe(row.message);
  if (!row.status.empty()) what = texts_.Format(tool_text::kWithStatus, {what, row.status});
  const std::string subject = ConsoleSafe(row.subject);
  if (session_.json()) {
    JsonObject item;
    item.Add("row", static_cast<std::int64_t>(row.row)).Add("subject", row.subject).Add("result", row.result);
    if (!row.text_id.empty()) item.Add("text_id", static_cast<std::int64_t>(std::atoi(row.text_id.c_str())));
    if (!row.message.empty()) item.Add("message", row.message);
    if (!row.status.empty()) item.Add("status", row.status);
    if (!tally_.json_rows.empty()) tally_.json_rows += ',';
    tally_.json_rows += item.Text();
  }
  if (progress != nullptr) {
    progress->RowDone(row.row, subject, what);
  } else if (!session_.json()) {
    session_.console().Out(texts_.Format(tool_text::kRowResult, {std::to_string(row.row), subject, what}) + "\n");
  }
}

ReportRow BatchIssue::Refusal(const BatchRow& row, std::int32_t text_id, std::optional<TextLine> frame) {
  ReportRow refused = BaseRow(row, kRefused);
  if (text_id != 0) {
    refused.text_id = std::to_string(text_id);
    refused.message = OneLine(session_.Text(text_id));
  }
  if (frame) refused.message = texts_.Format(*frame, {refused.message});
  return refused;
}

ReportRow Refused(const BatchRow& row, std::string message) {
  ReportRow refused = BaseRow(row, kRefused);
  refused.message = std::move(message);
  return refused;
}

bool BatchIssue::LoadPreviousReport() {
  const Invocation& invocation = session_.invocation();
  const std::string path = invocation.Value("--report");
  if (invocation.Has("--resume")) {
    corvex::SecretText bytes;
    std::string error;
    if (ReadWholeFile(path, bytes) && !ReadReport(path, texts_, previous_, error)) {
      session_.Note(error);
      return false;
    }
    for (const auto& [number, row] : previous_) {
      if (number > static_cast<int>(rows_.size()) || RowSubject(rows_[number - 1]) != row.subject) {
        session_.Note(tool_text::kNotTheBatchRow, {path, std::to_string(number)});
        return false;
      }
    }
  }
  if (!path.empty() && !invocation.Has("--resume") && !MayReplaceReport(path)) return false;
  if (!path.empty() && !report_.Open(path, invocation.Has("--resume"))) {
    session_.Note(tool_text::kCannotWrite, {path});
    return false;
  }
  return true;
}

bool BatchIssue::MayReplaceReport(const std::string& path) {
  corvex::SecretText bytes;
  if (!ReadWholeFile(path, bytes) || bytes.empty()) return true;
  std::map<int, ReportRow> earlier;
  std::string error;
  if (!ReadReport(path, texts_, earlier, error)) {
    session_.Note(tool_text::kNotOverwritten, {path});
    return false;
  }
  for (const auto& [number, row] : earlier) {
    if (row.result != kRefused) {
      session_.Note(FillIn(texts_.Row(tool_text::kReportHoldsCards), {path}));
      return false;
    }
  }
  return true;
}

void BatchIssue::ResolveInterrupted(const BatchRow& row, const ReportRow& writing) {
  pellam::AppState& state = context_.state;
  std::int32_t index = -1;
  pellam::IssueInfo listed;
  const std::string& user_id = row.texts.user_id;
  SearchIDRecord(state.user_id_rows.data(), state.user_id_count, user_id.c_str(),
                 static_cast<std::int32_t>(user_id.size()), &index, &listed.year, &listed.month, &listed.day,
                 &listed.issue_count);
  const bool recorded = row.texts.user_id_card && index >= 0 &&
                        std::to_string(listed.issue_count) == writing.issue_count &&
                        DateText(listed) == writing.issue_date;
  ReportRow result = BaseRow(row, recorded ? kIssued : kInterrupted);
  result.issue_count = writing.issue_count;
  result.issue_date = writing.issue_date;
  if (recorded) {
    session_.surface().ForgetLastMessage();
    WriteMissingLogLine(row, writing);
    result.message = session_.surface().LastMessage().empty() ? texts_.Row(tool_text::kResolvedIssued)
                                                              : session_.surface().LastMessage();
    ++tally_.already_issued;
  } else {
    result.message = texts_.Row(tool_text::kResolvedInterrupted);
    ++tally_.failed;
  }
  Report(result, nullptr);
}

void BatchIssue::WriteMissingLogLine(const BatchRow& row, const ReportRow& writing) {
  LogMark mark;
  if (!ParseMark(writing.message, mark)) return;  // a report of an older batch, which notes no mark
  corvex::SecretText log;
  if (ReadWholeFile(pellam::kOperationLogFile, log) && HasIssueLine(log.View(), row.texts.user_id, mark)) return;
  pellam::WriteOperationLog(context_, row.texts.user_id, mark.admin_id, JORNET_OP_ISSUE);
}

ReportRow BatchIssue::CheckRow(const BatchRow& row, bool counting) {
  if (row.card_use != "" && row.card_use != "id" && row.card_use != "code") {
    return Refused(row, texts_.Text(tool_text::kBadCardUse));
  }
  const bool confirm = session_.invocation().Has("--confirm");
  const pellam::IssueCheckResult checked =
      pellam::CheckIssueEntry(context_, row.texts, [confirm](std::int32_t) { return confirm; });
  switch (checked.outcome) {
    case pellam::IssueCheck::Accepted: break;
    case pellam::IssueCheck::Declined: return Refusal(row, checked.text_id, tool_text::kUseConfirm);
    case pellam::IssueCheck::Refused:
    case pellam::IssueCheck::ListFull: return Refusal(row, checked.text_id);
  }
  pellam::SharedRecords& records = context_.records();
  if (row.texts.user_id_card && counting) {
    const auto [seen, first] = user_id_rows_.emplace(row.texts.user_id, row.number);
    if (!first) {
      return Refused(row, texts_.Format(tool_text::kUserIdTwice, {std::to_string(seen->second)}));
    }
    if (records.list_index < 0 && context_.state.user_id_count + ++new_user_ids_ > context_.state.entry_limit) {
      --new_user_ids_;
      return Refusal(row, 7004);
    }
  }
  if (!row.count.empty() || !row.date.empty()) {
    pellam::IssueInfo& issue = records.issue;
    std::string texts[4] = {row.count.empty() ? std::to_string(issue.issue_count) : row.count,
                            std::to_string(issue.year), std::to_string(issue.month), std::to_string(issue.day)};
    if (!row.date.empty()) {
      const std::size_t first = row.date.find('-');
      const std::size_t second = first == std::string::npos ? first : row.date.find('-', first + 1);
      if (second == std::string::npos) {
        texts[1] = row.date;  // not a date: the year check refuses it
      } else {
        texts[1] = row.date.substr(0, first);
        texts[2] = row.date.substr(first + 1, second - first - 1);
        texts[3] = row.date.substr(second + 1);
      }
    }
    if (const std::int32_t problem = pellam::CheckIssueInfoTexts(texts, issue)) return Refusal(row, problem);
  }
  return {};
}

bool BatchIssue::IssueRow(const BatchRow& row, int position, int total, Progress& progress) {
  // The checks again, now that earlier rows have changed the list.
  const ReportRow refused = CheckRow(row, false);
  if (!refused.result.empty()) {
    ++tally_.refused;
    Report(refused, &progress);
    return true;
  }
  pellam::CardAccess& card = context_.card;
  const pellam::CardWaitRule blank_card{pellam::CardKind::BlankCard, pellam::text::kNotBlankCard,
                                        [&card] { return card.SetAllKey() == 0 ? 0 : pellam::text::kKeysNotSet; }};
  const std::string prompt =
      texts_.Format(row.texts.user_id_card ? tool_text::kPlaceBlankForId : tool_text::kPlaceBlankForCode,
                    {ConsoleSafe(RowSubject(row)), std::to_string(position), std::to_string(total)});
  if (!session_.WaitForCard(prompt, blank_card)) {
    return false;
  }

  const pellam::IssueInfo& issue = context_.records().issue;
  ReportRow writing = BaseRow(row, kWriting);
  writing.issue_count = std::to_string(issue.issue_count);
  writing.issue_date = DateText(issue);
  writing.message =
      MarkText({platform::CurrentLocalDateTime(), std::string(pellam::FieldText(context_.records().admin.admin_id))});
  Report(writing, nullptr);

  ReportRow result = BaseRow(row, kIssued);
  result.issue_count = writing.issue_count;
  result.issue_date = writing.issue_date;
  for (const pellam::CardWrite& step : pellam::IssueCardWrites(context_)) {
    const std::int32_t status = step.write();
    if (status == 0) continue;
    session_.ShowError(pellam::text::kCardNotWritten);
    result.result = kFailed;
    result.text_id = std::to_string(pellam::text::kCardNotWritten);
    result.message = texts_.Format(tool_text::kPartlyWritten, {OneLine(session_.Text(pellam::text::kCardNotWritten))});
    result.status = StatusText(status);
    ++tally_.failed;
    Report(result, &progress);
    return true;
  }
  session_.surface().ForgetLastMessage();
  if (!pellam::RecordIssue(context_)) {
    result.result = kFailed;
    result.text_id = std::to_string(pellam::text::kListNotWritten);
    result.message = texts_.Format(tool_text::kCardIsWritten, {OneLine(session_.Text(pellam::text::kListNotWritten))});
    ++tally_.failed;
  } else {
    if (!session_.surface().LastMessage().empty()) result.message = session_.surface().LastMessage();
    ++tally_.issued;
  }
  Report(result, &progress);
  return true;
}

int BatchIssue::Run() {
  if (!LoadPreviousReport()) return kExitRefused;

  std::vector<const BatchRow*> accepted;
  for (const BatchRow& row : rows_) {
    const auto previous = previous_.find(row.number);
    if (previous != previous_.end() && previous->second.result == kIssued) {
      ++tally_.already_issued;
      if (row.texts.user_id_card) user_id_rows_.emplace(row.texts.user_id, row.number);
      continue;
    }
    if (previous != previous_.end() &&
        (previous->second.result == kWriting || previous->second.result == kInterrupted)) {
      ResolveInterrupted(row, previous->second);
      if (row.texts.user_id_card) user_id_rows_.emplace(row.texts.user_id, row.number);
      continue;
    }
    const ReportRow refused = CheckRow(row, true);
    pellam::ClearSecretFields(context_.records());  // the row is checked again before its card
    if (refused.result.empty()) {
      accepted.push_back(&row);
      continue;
    }
    ++tally_.refused;
    Report(refused, nullptr);
  }

  const bool check_only = session_.invocation().Has("--check");
  if (!check_only && !accepted.empty()) {
    if (!session_.PassGate()) {
      tally_.not_done = static_cast<int>(accepted.size());
      if (!session_.stopped()) ++tally_.failed;
    } else if (!session_.OpenReader()) {
      tally_.not_done = static_cast<int>(accepted.size());
      ++tally_.failed;
    } else {
      const int total = static_cast<int>(accepted.size());
      Progress progress(session_.console(), texts_, total, !session_.json() && session_.console().OutIsTerminal(),
                        session_.json());
      for (int i = 0; i < total; ++i) {
        const bool went_on = IssueRow(*accepted[i], i + 1, total, progress);
        pellam::ClearSecretFields(context_.records());
        if (!went_on) {
          tally_.stopped = true;
          tally_.not_done = total - i;
          break;
        }
      }
      progress.Finish();
      if (!session_.CloseReader()) ++tally_.failed;
    }
  }

  const int status = ExitStatus();
  const std::string accepted_count = std::to_string(accepted.size());
  if (session_.json()) {
    JsonObject summary;
    summary.Add("command", "issue").AddRaw("rows", "[" + tally_.json_rows + "]");
    summary.Add("issued", static_cast<std::int64_t>(tally_.issued))
        .Add("already_issued", static_cast<std::int64_t>(tally_.already_issued))
        .Add("refused", static_cast<std::int64_t>(tally_.refused))
        .Add("failed", static_cast<std::int64_t>(tally_.failed))
        .Add("not_done", static_cast<std::int64_t>(tally_.not_done))
        .Add("exit_status", static_cast<std::int64_t>(status));
    session_.console().Out(summary.Text() + "\n");
  } else if (check_only) {
    session_.console().Out(
        texts_.Format(tool_text::kCheckSummary, {accepted_count, std::to_string(tally_.refused)}) + "\n");
  } else {
    session_.console().Out(
        texts_.Format(tool_text::kIssueSummary,
                      {std::to_string(tally_.issued), std::to_string(tally_.already_issued),
                       std::to_string(tally_.refused), std::to_string(tally_.failed), std::to_string(tally_.not_done)}) +
        "\n");
  }
  return status;
}

}  // namespace

int RunIssue(ToolSession& session) {
  const Invocation& invocation = session.invocation();
  if (invocation.Value("--batch").empty()) {
    session.Note(tool_text::kNeedsValue, {"issue", "--batch FILE.csv"});
    return kExitRefused;
  }
  if (invocation.Has("--resume") && invocation.Value("--report").empty()) {
    session.Note(tool_text::kNeedsValue, {"--resume", "--report OUT.csv"});
    return kExitRefused;
  }
  std::vector<BatchRow> rows;
  std::string error;
  if (!ReadBatchFile(invocation.Value("--batch"), session.texts(), rows, error)) {
    session.Note(error);
    return kExitRefused;
  }
  if (!session.StartUp()) return kExitStartup;
  BatchIssue batch(session, std::move(rows));
  return batch.Run();
}

}  // namespace pellam_card
