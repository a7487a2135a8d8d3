// The exported functions of Lingrel: argument checks, then the internals.
// A null pointer where the caller must give a buffer is refused with the
// file-error code and nothing is written.
#include <cstring>
#include <vector>

#include "lang/Lingrel.h"
#include "lang/group_check.h"
#include "lang/language_map.h"
#include "lang/string_table.h"
#include "platform/account.h"
#include "platform/file.h"
#include "platform/text_file.h"

namespace {

constexpr std::size_t kAccountBufferMin = 512;

// Reads a whole file as text; the code to return on failure, or LINGREL_OK.
int32_t ReadText(const char* path, platform::FileOpen how, std::vector<char>& text) {
  platform::UniqueFile file(platform::OpenFile(path, how));
  if (!file.valid()) return LINGREL_FILE_ERROR;
  switch (platform::ReadRestAsText(file.get(), text)) {
    case platform::ReadResult::Ok: return LINGREL_OK;
    case platform::ReadResult::NoMemory: return LINGREL_NO_MEMORY;
    case platform::ReadResult::SizeFailed:
    case platform::ReadResult::ReadFailed: break;
  }
  return LINGREL_FILE_ERROR;
}

}  // namespace

extern "C" {

int32_t ReadVelLang(int32_t mode, int32_t locale_id, char* file_name, int32_t* file_name_length) {
  if (file_name == nullptr || file_name_length == nullptr) return LINGREL_FILE_ERROR;
  char key[4];
  lingrel::LocaleKey(locale_id, key);
  std::vector<char> map;
  if (const int32_t result = ReadText(lingrel::MapFileName(mode), platform::FileOpen::ReadShared, map);
      result != LINGREL_OK) {
    return result;
  }
  const lingrel::MapResult found = lingrel::FindLanguageFile({map.data(), map.size()}, key);
  if (found.kind == lingrel::MapLookup::ValueTooLong) return LINGREL_FILE_ERROR;
  const std::string_view name =
      found.kind == lingrel::MapLookup::Found ? found.value : lingrel::DefaultLanguageFile(mode);
  std::memcpy(file_name, name.data(), name.size());
  file_name[name.size()] = '\0';
  *file_name_length = static_cast<int32_t>(name.size());
  return LINGREL_OK;
}

int32_t ReadLangFile(const char* path, int32_t /*path_length*/, char* rows, int32_t* row_count) {
  if (path == nullptr || rows == nullptr || row_count == nullptr) return LINGREL_FILE_ERROR;
  std::vector<char> text;
  if (const int32_t result = ReadText(path, platform::FileOpen::ReadExisting, text); result != LINGREL_OK) {
    return result;
  }
  int32_t count = 0;
  if (lingrel::FillStringTable({text.data(), text.size()}, rows, count) != lingrel::TableFill::Ok) {
    return LINGREL_FILE_ERROR;
  }
  *row_count = count;
  return LINGREL_OK;
}

int32_t GetStringLangData(const char* rows, int32_t row_count, int32_t string_id, char* text, int32_t* text_length) {
  if (text == nullptr || text_length == nullptr) return LINGREL_FILE_ERROR;
  if (rows == nullptr) row_count = 0;
  *text_length = static_cast<int32_t>(lingrel::LookupText(rows, row_count, string_id, text));
  return LINGREL_OK;
}

int32_t ChangeLongToChar(int32_t value, char* digits, int32_t* digit_count) {
  if (digits == nullptr || digit_count == nullptr) return LINGREL_FILE_ERROR;
  lingrel::LocaleKey(value, digits);
  *digit_count = 4;
  return LINGREL_OK;
}

int32_t GetUserAndDomain(char* account_name, int32_t* /*unused*/) {
  if (account_name == nullptr) return LINGREL_FILE_ERROR;
  const std::optional<std::string> account = platform::CurrentAccountName();
  // An empty text matches no group member, so a failed lookup is a refusal.
  const std::size_t length = account && account->size() < kAccountBufferMin ? account->size() : 0;
  if (length > 0) std::memcpy(account_name, account->data(), length);
  account_name[length] = '\0';
  return LINGREL_OK;
}

int32_t CheckUserGroups(const char* group_name, int32_t* out_four) {
  if (out_four != nullptr) *out_four = 4;
  if (group_name == nullptr) return LINGREL_NOT_MEMBER;
  char account[1024] = {};
  GetUserAndDomain(account, nullptr);
  const std::optional<std::vector<std::string>> members = platform::LocalGroupMembers(group_name);
  if (!members) return LINGREL_NOT_MEMBER;
  const lingrel::MemberNames names =
      platform::GroupMembersMayLackDomain() ? lingrel::MemberNames::MayLackDomain : lingrel::MemberNames::WithDomain;
  return lingrel::IsDirectMember(account, *members, names) ? LINGREL_OK : LINGREL_NOT_MEMBER;
}

}  // extern "C"
