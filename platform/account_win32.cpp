// The account from the process token, the group members from the local
// security database (information level 3: "DOMAIN\name" of each member).
#include <windows.h>
// windows.h must come first.
#include <lm.h>

#include "platform/account.h"

namespace platform {

std::optional<std::string> CurrentAccountName() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | READ_CONTROL, &token)) return std::nullopt;
  alignas(TOKEN_USER) unsigned char info[1024] = {};
  DWORD needed = 0;
  const BOOL have_user = ::GetTokenInformation(token, TokenUser, info, sizeof info, &needed);
  ::CloseHandle(token);
  if (!have_user) return std::nullopt;

  const auto* user = reinterpret_cast<const TOKEN_USER*>(info);
  char name[kAccountPartMax + 1] = {};
  char domain[kAccountPartMax + 1] = {};
  DWORD name_size = sizeof name;
  DWORD domain_size = sizeof domain;
  SID_NAME_USE use{};
  if (!::LookupAccountSidA(nullptr, user->User.Sid, name, &name_size, domain, &domain_size, &use)) {
    return std::nullopt;
  }
  name[kAccountPartMax] = '\0';
  domain[kAccountPartMax] = '\0';
  return std::string(domain) + "\\" + name;
}

std::optional<std::vector<std::string>> LocalGroupMembers(const char* group) {
  wchar_t wide_group[1024] = {};
  if (::MultiByteToWideChar(CP_ACP, 0, group, -1, wide_group, 1024) == 0) return std::nullopt;

  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  const NET_API_STATUS status =
      ::NetLocalGroupGetMembers(nullptr, wide_group, 3, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr);
  if (status != NERR_Success) {
    if (buffer != nullptr) ::NetApiBufferFree(buffer);
    return std::nullopt;
  }

  std::vector<std::string> members;
  const auto* rows = reinterpret_cast<const LOCALGROUP_MEMBERS_INFO_3*>(buffer);
  for (DWORD i = 0; i < read; ++i) {
    char member[1024] = {};
    if (::WideCharToMultiByte(CP_ACP, 0, rows[i].lgrmi3_domainandname, -1, member, sizeof member, nullptr, nullptr) ==
        0) {
      break;  // the list ends before a name that cannot be converted
    }
    members.emplace_back(member);
  }
  if (buffer != nullptr) ::NetApiBufferFree(buffer);
  return members;
}

bool GroupMembersMayLackDomain() {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace platform
