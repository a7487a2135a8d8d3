// The exported functions of Jornet: argument checks, then the internals.
// A null pointer where the caller must give one is refused with the
// file-error code and nothing is written; no exception leaves the library.
#include <string_view>

#include "oplog/Jornet.h"
#include "oplog/log_file.h"
#include "oplog/log_line.h"
#include "platform/clock.h"

namespace {

// The one mapping from an internal status to a result code.
int32_t ResultCode(jornet::LogStatus status) {
  switch (status) {
    case jornet::LogStatus::Ok: return JORNET_OK;
    case jornet::LogStatus::TrimFailed: return JORNET_TRIM_FAILED;
    case jornet::LogStatus::NoMemory: return JORNET_NO_MEMORY;
    case jornet::LogStatus::OpenFailed:
    case jornet::LogStatus::AppendFailed:
    case jornet::LogStatus::FileError:
    case jornet::LogStatus::NoLineEnd: break;
  }
  return JORNET_FILE_ERROR;
}

std::string_view Text(const char* bytes, uint32_t length) {
  if (bytes == nullptr) return {};
  return {bytes, length};
}

}  // namespace

extern "C" {

int32_t MakeLogRecord(const char* first_text, uint32_t first_length, const char* second_text, uint32_t second_length,
                      int32_t operation, char* line, int32_t* line_length) {
  if (line == nullptr || line_length == nullptr) return JORNET_FILE_ERROR;
  const std::size_t made = jornet::MakeLogLine(platform::CurrentLocalDateTime(), Text(first_text, first_length),
                                               Text(second_text, second_length), operation, line);
  *line_length = static_cast<int32_t>(made);
  return JORNET_OK;
}

int32_t WriteNewLogRecord(const char* line, uint32_t line_length) {
  if (line == nullptr && line_length > 0) return JORNET_FILE_ERROR;
  try {
    return ResultCode(jornet::AppendLogLine(Text(line, line_length)));
  } catch (...) {
    return JORNET_FILE_ERROR;  // out of memory before the log was touched
  }
}

int32_t DeleteLogRecord(int32_t handle, int32_t* size, int32_t /*unused*/) {
  if (handle < 0 || size == nullptr) return JORNET_FILE_ERROR;
  try {
    std::uint64_t new_size = 0;
    const jornet::LogStatus status = jornet::RemoveOldestLine(static_cast<platform::FileHandle>(handle), new_size);
    if (status == jornet::LogStatus::Ok) *size = static_cast<int32_t>(new_size);
    return ResultCode(status);
  } catch (...) {
    return JORNET_NO_MEMORY;
  }
}

}  // extern "C"
