// Comparison of the account running the program with a local group's members.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lingrel {

// How the system names a group's members.
enum class MemberNames {
  WithDomain,     // always "DOMAIN\name" (Windows)
  MayLackDomain,  // sometimes the bare user name (Wine)
};

// True when `member` names `account` ("DOMAIN\user"): the whole names are
// equal byte for byte, case-sensitive. Only where members may lack a domain,
// a member without a backslash also names the account when it equals the
// account's user part exactly: Wine lists local group members by bare user
// name while it gives the account the computer name as its domain.
bool NamesAccount(std::string_view member, std::string_view account, MemberNames names);

// True when any of `members` names `account`. An empty account names nobody.
bool IsDirectMember(std::string_view account, const std::vector<std::string>& members, MemberNames names);

}  // namespace lingrel
