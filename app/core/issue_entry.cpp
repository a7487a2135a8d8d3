#include "app/core/issue_entry.h"

#include <array>

#include "app/core/entry_checks.h"
#include "app/core/operation_log.h"
#include "app/core/pin_entry.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "oplog/Jornet.h"
#include "platform/clock.h"

namespace pellam {

namespace {

constexpr std::size_t kListLineSize = 1024;

// One field of the issue information: its limits and messages.
struct InfoFieldRow {
  std::int32_t IssueInfo::*field;
  std::int32_t non_digit;
  std::int64_t lowest;
  std::int32_t too_small;
  std::int64_t highest;
  std::int32_t too_large;
};

constexpr InfoFieldRow kInfoFields[] = {
    {&IssueInfo::issue_count, text::kCountNotDigits, 0, 0, kHighestIssueCount, text::kCountTooLarge},
    {&IssueInfo::year, text::kYearNotDigits, 0, 0, 3000, text::kYearTooLarge},
    {&IssueInfo::month, text::kMonthNotDigits, 1, text::kMonthTooSmall, 12, text::kMonthTooLarge},
    {&IssueInfo::day, text::kDayNotDigits, 1, text::kDayTooSmall, 31, text::kDayTooLarge},
};

IssueCheckResult Refused(std::int32_t text_id) { return {IssueCheck::Refused, text_id}; }

void SetToday(IssueInfo& issue) {
  const platform::LocalDateTime now = platform::CurrentLocalDateTime();
  issue = {1, now.year, now.month, now.day};
}

IssueCheckResult CheckUserIdCard(ProgramContext& context, const IssueTexts& texts, const Question& ask) {
  SharedRecords& records = context.records();
  EntryData& entry = records.entry;

  if (texts.user_id.empty()) return Refused(text::kUserIdMissing);
  if (texts.user_id.size() > kLongestUserId) return Refused(text::kUserIdTooLong);
  if (HasControlByte(texts.user_id)) return Refused(text::kUserIdControlByte);
  if (texts.password.size() > kLongestPassword) return Refused(text::kPasswordTooLong);
  if (texts.password_again != texts.password) return Refused(text::kPasswordsDiffer);

  if (const std::int32_t problem = pin_entry::StorePinEntry(texts, entry, ask)) {
    return {problem == text::kLockoutOffQuestion ? IssueCheck::Declined : IssueCheck::Refused, problem};
  }

  if (const std::int32_t problem = CheckNameAndComment(texts.user_name, texts.comment)) return Refused(problem);
  std::uint32_t code = 0;
  if (const std::int32_t problem = CheckUserCode(texts.user_code, false, code)) return Refused(problem);

  StoreText(entry.user_id, texts.user_id);
  StoreText(entry.password, texts.password.View());
  StoreText(entry.user_name, texts.user_name);
  StoreText(entry.comment, texts.comment);
  StoreUserCode(entry.user_code, code);

  AppState& state = context.state;
  IssueInfo& issue = records.issue;
  SearchIDRecord(state.user_id_rows.data(), state.user_id_count, entry.user_id.bytes.data(), entry.user_id.length,
                 &records.list_index, &issue.year, &issue.month, &issue.day, &issue.issue_count);
  if (records.list_index >= 0) {
    if (!ask(text::kReissueQuestion)) return {IssueCheck::Declined, text::kReissueQuestion};
    ++issue.issue_count;
  } else if (state.user_id_count >= state.entry_limit) {
    return {IssueCheck::ListFull, text::kListFull};
  }
  return {};
}

IssueCheckResult CheckUserCodeCard(ProgramContext& context, const IssueTexts& texts) {
  SharedRecords& records = context.records();
  EntryData& entry = records.entry;
  std::uint32_t code = 0;
  if (const std::int32_t problem = CheckUserCode(texts.user_code, true, code)) return Refused(problem);
  if (const std::int32_t problem = CheckNameAndComment(texts.user_name, texts.comment)) return Refused(problem);
  StoreUserCode(entry.user_code, code);
  StoreText(entry.user_name, texts.user_name);
  StoreText(entry.comment, texts.comment);
  SetToday(records.issue);
  return {};
}

}  // namespace

IssueCheckResult CheckIssueEntry(ProgramContext& context, const IssueTexts& texts, const Question& ask) {
  SharedRecords& records = context.records();
  ClearEntryData(records);
  records.issue_card_kind = texts.user_id_card ? CardKind::UserCard : CardKind::CodeCard;
  return texts.user_id_card ? CheckUserIdCard(context, texts, ask) : CheckUserCodeCard(context, texts);
}

std::int32_t CheckIssueInfoTexts(const std::string (&texts)[4], IssueInfo& issue) {
  for (std::size_t i = 0; i < std::size(kInfoFields); ++i) {
    const InfoFieldRow& row = kInfoFields[i];
    const std::string& text = texts[i];
    const std::int64_t value = DecimalValue(text);
    issue.*row.field = static_cast<std::int32_t>(value);
    if (!AllDigits(text)) return row.non_digit;
    if (value < row.lowest) return row.too_small;
    if (value > row.highest) return row.too_large;
  }
  return kNoProblem;
}

std::vector<CardWrite> IssueCardWrites(ProgramContext& context) {
  CardAccess& card = context.card;
  const SharedRecords& records = context.records();
  const EntryData& entry = records.entry;
  const IssueInfo& issue = records.issue;
  const TextField<256>& admin = records.admin.admin_id;
  const auto* code = reinterpret_cast<const std::uint8_t*>(entry.user_code.bytes.data());
  const std::int32_t pin_length = entry.pin_check_choice == pin_entry::kPinOn ? entry.pin.length : 0;

  const CardWrite account{[&card, &entry] {
                            return card.WriteUserAccount(entry.user_id.bytes.data(), entry.user_id.length,
                                                         entry.password.bytes.data(), entry.password.length);
                          },
                          true};
  const CardWrite admin_id{[&card, &admin] { return card.WriteAdminIdToUser(admin.bytes.data(), admin.length); }, true};
  const CardWrite retry_limit{[&card, &entry] { return card.WriteRetryLimit(entry.lockout_count); }, true};
  const CardWrite pin{[&card, &entry, pin_length] { return card.WritePin(entry.pin.bytes.data(), pin_length); }, true};
  const CardWrite name{
      [&card, &entry] { return card.WriteUserName(entry.user_name.bytes.data(), entry.user_name.length); }, true};
  const CardWrite comment{
      [&card, &entry] { return card.WriteCommentToUser(entry.comment.bytes.data(), entry.comment.length); }, true};
  const CardWrite user_code{[&card, code] { return card.WriteUserCode(code, 4); }, true};
  const CardWrite issue_info{
      [&card, &issue] { return card.WriteIssueInfo(issue.issue_count, issue.year, issue.month, issue.day); }, true};

  // The write orders of the two card uses.
  if (records.issue_card_kind == CardKind::UserCard) {
    return {account, admin_id, retry_limit, pin, name, comment, user_code, issue_info};
  }
  return {user_code, admin_id, name, comment, issue_info};
}

bool RecordIssue(ProgramContext& context) {
  AppState& state = context.state;
  SharedRecords& records = context.records();
  const EntryData& entry = records.entry;
  const IssueInfo& issue = records.issue;

  if (records.issue_card_kind != CardKind::UserCard) {
    WriteOperationLog(context, UserCodeSubject(StoredUserCode(entry.user_code)), JORNET_OP_ISSUE_CODE);
    return true;
  }
  std::array<char, kListLineSize> line{};
  std::int32_t length = static_cast<std::int32_t>(line.size());
  if (MakeIDRecord(entry.user_id.bytes.data(), entry.user_id.length, issue.year, issue.month, issue.day,
                   issue.issue_count, line.data(), &length) != TALLIX_OK ||
      WriteIDRecord(state.list_handle, records.list_index, line.data(), length, state.user_id_rows.data(),
                    &state.user_id_count) != TALLIX_OK) {
    context.messages.ShowWarning(text::kListNotWritten, context.messages.ErrorCaption());
    return false;
  }
  WriteOperationLog(context, FieldText(entry.user_id), JORNET_OP_ISSUE);
  return true;
}

}  // namespace pellam
