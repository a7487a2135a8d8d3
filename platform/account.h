// The account that runs the process and the members of a local group.
//
// Names are ANSI bytes in the form domain, backslash, user name. On Windows
// the domain is what LookupAccountSidA and NetLocalGroupGetMembers report; the
// POSIX stand-in uses the host name as the domain for every account.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Longest domain or user name part that is accepted (the lookups use buffers
// of 256 characters including the terminator).
inline constexpr std::size_t kAccountPartMax = 255;

// "DOMAIN\user" of the account running this process; nullopt when any step of
// the lookup fails or a part is longer than kAccountPartMax.
std::optional<std::string> CurrentAccountName();

// The direct members of the local group `group` (ANSI name), each as
// "DOMAIN\name" where the system gives a domain, in the order the system gives
// them. nullopt when the group cannot be listed (missing group, no access, a
// name that cannot be converted). When one member's name cannot be converted,
// the list ends before that member.
std::optional<std::vector<std::string>> LocalGroupMembers(const char* group);

// True when the system may report a local group's members by bare name,
// without a domain. Only Wine does (it is recognised at run time by ntdll's
// wine_get_version export); Windows and the POSIX stand-in always give one.
bool GroupMembersMayLackDomain();

}  // namespace platform
