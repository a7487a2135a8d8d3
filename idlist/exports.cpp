// The exported functions of Tallix: argument checks, then the internals.
// A null pointer where the caller must give one is refused with the call's
// failure code and nothing is written; no exception leaves the library.
#include <cstring>
#include <string_view>

#include "idlist/Tallix.h"
#include "idlist/id_line.h"
#include "idlist/id_table.h"
#include "idlist/list_file.h"
#include "idlist/number_format.h"
#include "platform/clock.h"

namespace {

// The one mapping from an internal status to a result code. Each call names
// its code for a failed file operation and for a lack of memory.
int32_t ResultCode(tallix::ListStatus status, int32_t failure, int32_t no_memory) {
  switch (status) {
    case tallix::ListStatus::Ok: return TALLIX_OK;
    case tallix::ListStatus::NoMemory: return no_memory;
    case tallix::ListStatus::FileError:
    case tallix::ListStatus::TooManyLines:
    case tallix::ListStatus::Refused: break;
  }
  return failure;
}

// Runs `work`; any exception (in practice only running out of memory while
// building a buffer, always before the file is touched) becomes `failure`.
template <typename Work>
int32_t Guarded(int32_t failure, Work work) {
  try {
    return work();
  } catch (...) {
    return failure;
  }
}

}  // namespace

extern "C" {

int32_t OpenIDFile(const char* path, int32_t* handle) {
  if (handle == nullptr) return TALLIX_FILE_ERROR;
  *handle = -1;
  if (path == nullptr) return TALLIX_FILE_ERROR;
  return Guarded(TALLIX_FILE_ERROR,
                 [&] { return ResultCode(tallix::OpenList(path, *handle), TALLIX_FILE_ERROR, TALLIX_FILE_ERROR); });
}

int32_t CloseIDFile(int32_t handle) {
  tallix::CloseList(handle);
  return TALLIX_OK;
}

int32_t ReadIDFileAll(int32_t handle, char* rows, int32_t* row_count) {
  if (handle < 0 || rows == nullptr || row_count == nullptr) return TALLIX_FILE_ERROR;
  return Guarded(TALLIX_NO_MEMORY, [&] {
    return ResultCode(tallix::LoadList(handle, rows, *row_count), TALLIX_FILE_ERROR, TALLIX_NO_MEMORY);
  });
}

int32_t MakeBackupFile(const char* source, const char* backup) {
  if (source == nullptr || backup == nullptr) return TALLIX_FILE_ERROR;
  return Guarded(TALLIX_NO_MEMORY,
                 [&] { return ResultCode(tallix::BackupList(source, backup), TALLIX_FILE_ERROR, TALLIX_NO_MEMORY); });
}

static_assert(tallix::kTableRows == TALLIX_TABLE_ROWS);

int32_t MakeIDRecord(const char* user_id, int32_t user_id_length, int32_t year, int32_t month, int32_t day,
                     int32_t issue_count, char* line, int32_t* line_length) {
  if (line == nullptr || line_length == nullptr || user_id_length < 0 || (user_id == nullptr && user_id_length > 0)) {
    return TALLIX_NUMBER_REFUSED;
  }
  const std::string_view id(user_id_length > 0 ? user_id : "", static_cast<std::size_t>(user_id_length));
  const std::optional<std::size_t> made = tallix::MakeIdLine(id, {year, month, day, issue_count}, line);
  if (!made) return TALLIX_NUMBER_REFUSED;
  *line_length = static_cast<int32_t>(*made);
  return TALLIX_OK;
}

int32_t ChangeYMDForOutput(int32_t value, char* digits, int32_t* digit_count) {
  if (digits == nullptr || digit_count == nullptr) return TALLIX_NUMBER_REFUSED;
  return tallix::FormatNumber(value, digits, *digit_count) ? TALLIX_OK : TALLIX_NUMBER_REFUSED;
}

int32_t WriteIDRecord(int32_t handle, int32_t row_index, const char* line, int32_t line_length, char* rows,
                      int32_t* row_count) {
  if (handle < 0 || line == nullptr || line_length <= 0 || rows == nullptr || row_count == nullptr) {
    return TALLIX_FILE_ERROR;
  }
  const std::string_view text(line, static_cast<std::size_t>(line_length));
  return Guarded(TALLIX_FILE_ERROR, [&] {
    return ResultCode(tallix::WriteLine(handle, row_index, text, rows, *row_count), TALLIX_FILE_ERROR,
                      TALLIX_FILE_ERROR);
  });
}

int32_t DeleteIDRecord(int32_t handle, int32_t row_index, char* rows, int32_t* row_count) {
  if (row_count == nullptr) return TALLIX_DELETE_FAILED;
  if (row_index < 0 || row_index >= *row_count) return TALLIX_OK;
  if (handle < 0 || rows == nullptr) return TALLIX_DELETE_FAILED;
  return Guarded(TALLIX_DELETE_FAILED, [&] {
    return ResultCode(tallix::DeleteLine(handle, row_index, rows, *row_count), TALLIX_DELETE_FAILED,
                      TALLIX_DELETE_FAILED);
  });
}

int32_t SearchIDRecord(const char* rows, int32_t row_count, const char* user_id, int32_t /*unused*/, int32_t* row_index,
                       int32_t* year, int32_t* month, int32_t* day, int32_t* issue_count) {
  const platform::LocalDateTime today = platform::CurrentLocalDateTime();
  tallix::IdNumbers found{today.year, today.month, today.day, 1};
  int32_t index = -1;
  if (rows != nullptr && user_id != nullptr && row_count > 0) {
    Guarded(0, [&] {
      tallix::IdNumbers listed{};
      index = tallix::FindUserId(rows, row_count, user_id, listed);
      if (index >= 0) found = listed;
      return 0;
    });
  }
  for (auto [out, value] : {std::pair{row_index, index}, std::pair{year, found.year}, std::pair{month, found.month},
                            std::pair{day, found.day}, std::pair{issue_count, found.issue_count}}) {
    if (out != nullptr) *out = value;
  }
  return TALLIX_OK;
}

}  // extern "C"
