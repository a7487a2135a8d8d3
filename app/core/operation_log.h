// The operation-log record every completed card operation writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/program_context.h"

namespace pellam {

inline constexpr const char* kOperationLogFile = "UserCardProcessLog.csv";

// Makes the log line for `subject` (a user ID, or a user code's text) and
// this run's administrator ID with operation `operation`, and appends it
// (first setting aside a recovery copy that does not belong to the log, with
// 9023); when that fails shows 7013 (error caption) and the operation goes on.
void WriteOperationLog(ProgramContext& context, std::string_view subject, std::int32_t operation);

// The same with another administrator ID than this run's (a record that an
// earlier run left unwritten).
void WriteOperationLog(ProgramContext& context, std::string_view subject, std::string_view admin_id,
                       std::int32_t operation);

// The log subject of a user-code card: the code in decimal, empty for 0.
std::string UserCodeSubject(std::uint32_t code);

}  // namespace pellam
