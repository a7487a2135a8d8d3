#include "app/core/operation_log.h"

#include <array>

#include "app/core/entry_checks.h"
#include "app/core/recovery_copy.h"
#include "app/core/text_ids.h"
#include "oplog/Jornet.h"

namespace pellam {

void WriteOperationLog(ProgramContext& context, std::string_view subject, std::int32_t operation) {
  WriteOperationLog(context, subject, FieldText(context.records().admin.admin_id), operation);
}

void WriteOperationLog(ProgramContext& context, std::string_view subject, std::string_view admin_id,
                       std::int32_t operation) {
  std::array<char, JORNET_LINE_SIZE> line{};
  std::int32_t length = static_cast<std::int32_t>(line.size());
  MakeLogRecord(subject.data(), static_cast<std::uint32_t>(subject.size()), admin_id.data(),
                static_cast<std::uint32_t>(admin_id.size()), operation, line.data(), &length);
  SetAsideForeignRecoveryCopy(context.state, context.messages, kOperationLogFile);
  if (WriteNewLogRecord(line.data(), static_cast<std::uint32_t>(length)) != JORNET_OK) {
    context.messages.ShowWarning(text::kLogNotWritten, context.messages.ErrorCaption());
  }
}

std::string UserCodeSubject(std::uint32_t code) {
  if (code == 0) return {};
  return std::to_string(static_cast<std::int32_t>(code));
}

}  // namespace pellam
