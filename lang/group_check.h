// Comparison of the account running the program with a local group's members.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lingrel {

// True when `member` names `account` ("DOMAIN\user"): the whole names are
// equal byte for byte, case-sensitive. A member reported without a domain
// (no backslash) also names the account when it equals the account's user
// part exactly: Wine lists local group members by bare user name while it
// gives the account the computer name as its domain. Windows itself always
// reports a domain for every member, so there only whole names compare.
bool NamesAccount(std::string_view member, std::string_view account);

// True when any of `members` names `account`. An empty account names nobody.
bool IsDirectMember(std::string_view account, const std::vector<std::string>& members);

}  // namespace lingrel
