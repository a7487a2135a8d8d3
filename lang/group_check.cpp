#include "lang/group_check.h"

namespace lingrel {

bool NamesAccount(std::string_view member, std::string_view account, MemberNames names) {
  if (account.empty()) return false;
  if (member == account) return true;
  if (names != MemberNames::MayLackDomain || member.find('\\') != std::string_view::npos) return false;
  const std::size_t separator = account.find('\\');
  if (separator == std::string_view::npos) return false;
  return !member.empty() && member == account.substr(separator + 1);
}

bool IsDirectMember(std::string_view account, const std::vector<std::string>& members, MemberNames names) {
  for (const std::string& member : members) {
    if (NamesAccount(member, account, names)) return true;
  }
  return false;
}

}  // namespace lingrel
