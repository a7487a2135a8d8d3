// POSIX stand-in for the Windows account and local-group lookups: the host
// name plays the domain, the user and group databases give names and members.
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/account.h"

namespace platform {

namespace {

std::optional<std::string> HostName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host, sizeof host) != 0) return std::nullopt;
  host[HOST_NAME_MAX] = '\0';
  return std::string(host);
}

std::string Qualified(const std::string& host, const char* user) { return host + "\\" + user; }

}  // namespace

std::optional<std::string> CurrentAccountName() {
  const std::optional<std::string> host = HostName();
  const passwd* entry = ::getpwuid(::geteuid());
  if (!host || entry == nullptr || entry->pw_name == nullptr) return std::nullopt;
  const std::string user = entry->pw_name;
  if (host->empty() || host->size() > kAccountPartMax || user.empty() || user.size() > kAccountPartMax) {
    return std::nullopt;
  }
  return Qualified(*host, user.c_str());
}

std::optional<std::vector<std::string>> LocalGroupMembers(const char* group_name) {
  const std::optional<std::string> host = HostName();
  if (!host) return std::nullopt;
  const struct group* entry = ::getgrnam(group_name);
  if (entry == nullptr) return std::nullopt;
  const gid_t gid = entry->gr_gid;

  // Listed members first, in the database's order.
  std::vector<std::string> members;
  for (char** name = entry->gr_mem; name != nullptr && *name != nullptr; ++name) {
    members.push_back(Qualified(*host, *name));
  }
  // Accounts whose primary group this is are direct members as well.
  ::setpwent();
  while (const passwd* user = ::getpwent()) {
    if (user->pw_gid != gid || user->pw_name == nullptr) continue;
    std::string name = Qualified(*host, user->pw_name);
    if (std::find(members.begin(), members.end(), name) == members.end()) members.push_back(name);
  }
  ::endpwent();
  return members;
}

bool GroupMembersMayLackDomain() { return false; }

}  // namespace platform
