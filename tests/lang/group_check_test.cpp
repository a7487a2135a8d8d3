// The account name and local-group membership.
#include "lang/group_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lang/Lingrel.h"
#include "platform/account.h"
#include "tests/support/temp_dir.h"

#if !defined(_WIN32)
#include <grp.h>
#include <unistd.h>
#endif

namespace {

using lingrel::IsDirectMember;
using lingrel::NamesAccount;

TEST(GroupMembers, WholeNamesCompareExactly) {
  EXPECT_TRUE(NamesAccount("HOST\\alice", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("HOST\\Alice", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("host\\alice", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("OTHER\\alice", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("HOST\\alice2", "HOST\\alice"));
}

TEST(GroupMembers, BareMemberNameMatchesOnlyTheUserPart) {
  EXPECT_TRUE(NamesAccount("alice", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("Alice", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("HOST", "HOST\\alice"));
  EXPECT_FALSE(NamesAccount("", "HOST\\alice"));
}

TEST(GroupMembers, EmptyAccountIsNobody) {
  EXPECT_FALSE(NamesAccount("", ""));
  EXPECT_FALSE(IsDirectMember("", {"", "\\", "HOST\\alice"}));
}

TEST(GroupMembers, AnyMemberInTheListCounts) {
  EXPECT_FALSE(IsDirectMember("HOST\\alice", {}));
  EXPECT_FALSE(IsDirectMember("HOST\\alice", {"HOST\\bob", "DOMAIN\\Domain Admins"}));
  EXPECT_TRUE(IsDirectMember("HOST\\alice", {"HOST\\bob", "HOST\\alice"}));
  EXPECT_TRUE(IsDirectMember("HOST\\alice", {"Administrator", "alice"}));
}

TEST(AccountName, IsDomainBackslashUserWithinTheBuffer) {
  char name[1024];
  std::memset(name, '#', sizeof name);
  int32_t size = sizeof name;
  EXPECT_EQ(GetUserAndDomain(name, &size), 0);
  const std::string account(name);
  ASSERT_LT(account.size(), 512u);
  const std::size_t slash = account.find('\\');
  ASSERT_NE(slash, std::string::npos) << account;
  EXPECT_GT(slash, 0u);
  EXPECT_LT(slash + 1, account.size());
  EXPECT_EQ(platform::CurrentAccountName().value_or(""), account);
}

TEST(GroupCheck, MissingGroupIsRefusedAndTheIntegerIsFour) {
  if (testing_support::RunningUnderWine()) {
    GTEST_SKIP() << "Wine lists the current user, by bare name, as the member of every group";
  }
  int32_t four = 0;
  EXPECT_EQ(CheckUserGroups("No Such Group 7f3a", &four), 20);
  EXPECT_EQ(four, 4);
}

// Wine reports the member without a domain; the account still counts as one.
TEST(GroupCheck, WineReportsTheAccountAsAMemberByBareName) {
  if (!testing_support::RunningUnderWine()) GTEST_SKIP() << "only under Wine";
  const auto members = platform::LocalGroupMembers("Administrators");
  ASSERT_TRUE(members.has_value());
  ASSERT_FALSE(members->empty());
  EXPECT_EQ(members->front().find('\\'), std::string::npos) << members->front();
  int32_t four = 0;
  EXPECT_EQ(CheckUserGroups("Administrators", &four), 0);
  EXPECT_EQ(four, 4);
}

#if !defined(_WIN32)
// The POSIX stand-in: the account is a direct member of its primary group and
// of any group listing it; a group without it refuses.
TEST(GroupCheck, PosixGroupDatabase) {
  const struct group* own = ::getgrgid(::getegid());
  ASSERT_NE(own, nullptr);
  const std::string own_name = own->gr_name;
  int32_t four = 0;
  EXPECT_EQ(CheckUserGroups(own_name.c_str(), &four), 0) << own_name;
  EXPECT_EQ(four, 4);

  const std::optional<std::vector<std::string>> members = platform::LocalGroupMembers(own_name.c_str());
  ASSERT_TRUE(members.has_value());
  EXPECT_TRUE(IsDirectMember(platform::CurrentAccountName().value_or(""), *members));

  // Some group of the database that does not list this account.
  const std::string account = platform::CurrentAccountName().value_or("");
  std::vector<std::string> names;
  ::setgrent();
  while (const struct group* g = ::getgrent()) {
    if (g->gr_gid != ::getegid()) names.emplace_back(g->gr_name);
  }
  ::endgrent();
  std::string other;
  for (const std::string& name : names) {
    const auto list = platform::LocalGroupMembers(name.c_str());
    if (list && !IsDirectMember(account, *list)) {
      other = name;
      break;
    }
  }
  if (!other.empty()) {
    EXPECT_EQ(CheckUserGroups(other.c_str(), &four), 20) << other;
  }
}
#endif

}  // namespace
