#include "app/core/card_reset.h"

#include <string>

#include "app/core/card_finish.h"
#include "app/core/card_preread.h"
#include "app/core/entry_checks.h"
#include "app/core/operation_log.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "oplog/Jornet.h"

namespace pellam {

std::int32_t InitialiseUserIdCard(ProgramContext& context, bool& delete_id) {
  if (!ReadCardUserId(context)) delete_id = false;
  return context.card.InitializeCard();
}

std::int32_t InitialiseUserCodeCard(ProgramContext& context) {
  SharedRecords& records = context.records();
  ClearCardData(records);
  TextField<16>& code = records.card.user_code;
  if (context.card.ReadUserCode(reinterpret_cast<std::uint8_t*>(code.bytes.data()), &code.length) == 0) {
    UserCodeToText(code);
  } else {
    code.bytes.fill('\0');
    code.length = 0;
  }
  return context.card.InitializeCard();
}

void DeleteListedId(ProgramContext& context) {
  AppState& state = context.state;
  SharedRecords& records = context.records();
  Messages& messages = context.messages;
  IssueInfo& issue = records.issue;
  // The search wants a terminated ID; the card's may fill its whole buffer.
  const std::string user_id(FieldText(records.card.user_id));
  SearchIDRecord(state.user_id_rows.data(), state.user_id_count, user_id.c_str(),
                 static_cast<std::int32_t>(user_id.size()), &records.list_index, &issue.year, &issue.month, &issue.day,
                 &issue.issue_count);
  if (records.list_index < 0) {
    messages.ShowInformation(text::kNotListed, messages.QuestionCaption());
    return;
  }
  if (DeleteIDRecord(state.list_handle, records.list_index, state.user_id_rows.data(), &state.user_id_count) !=
      TALLIX_OK) {
    messages.ShowWarning(text::kListLineNotDeleted, messages.QuestionCaption());
  }
}

void LogInitialise(ProgramContext& context, bool code_card, bool delete_id) {
  const CardData& data = context.records().card;
  if (code_card) {
    WriteOperationLog(context, ShownText(data.user_code), JORNET_OP_INIT_CODE);
    return;
  }
  WriteOperationLog(context, FieldText(data.user_id), delete_id ? JORNET_OP_INIT_DELETE_ID : JORNET_OP_INIT_KEEP_ID);
}

std::int32_t UnlockPin(ProgramContext& context) {
  const std::int32_t status = context.card.ResetRetryCounter();
  if (status == 0) ReadCardUserId(context);
  return status;
}

void LogUnlock(ProgramContext& context) {
  WriteOperationLog(context, FieldText(context.records().card.user_id), JORNET_OP_UNLOCK_PIN);
}

}  // namespace pellam
