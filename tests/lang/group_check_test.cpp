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
using lingrel::MemberNames;
using lingrel::NamesAccount;

// A member names the account by its whole name, compared exactly; by the
// user part alone only where the system may leave the domain out (Wine).
TEST(GroupMembers, NamesMatchWholeOrByTheUserPartOnlyWhereDomainsMayLack) {
  const struct {
    const char* member;
    const char* account;
    bool names_with_domain;
    bool names_may_lack_domain;
  } cases[] = {
      {"HOST\\alice", "HOST\\alice", true, true},
      {"HOST\\Alice", "HOST\\alice", false, false},
      {"host\\alice", "HOST\\alice", false, false},
      {"OTHER\\alice", "HOST\\alice", false, false},
      {"HOST\\alice2", "HOST\\alice", false, false},
      {"alice", "HOST\\alice", false, true},
      {"Alice", "HOST\\alice", false, false},
      {"HOST", "HOST\\alice", false, false},
      {"", "HOST\\alice", false, false},
      {"", "", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamesAccount(c.member, c.account, MemberNames::WithDomain), c.names_with_domain) << c.member;
    EXPECT_EQ(NamesAccount(c.member, c.account, MemberNames::MayLackDomain), c.names_may_lack_domain) << c.member;
  }
  for (MemberNames names : {MemberNames::WithDomain, MemberNames::MayLackDomain}) {
    EXPECT_FALSE(IsDirectMember("", {"", "\\", "HOST\\alice"}, names));
    EXPECT_FALSE(IsDirectMember("HOST\\alice", {}, names));
    EXPECT_FALSE(IsDirectMember("HOST\\alice", {"HOST\\bob", "DOMAIN\\Domain Admins"}, names));
    EXPECT_TRUE(IsDirectMember("HOST\\alice", {"HOST\\bob", "HOST\\alice"}, names));
  }
  EXPECT_FALSE(IsDirectMember("HOST\\alice", {"Administrator", "alice"}, MemberNames::WithDomain));
  EXPECT_TRUE(IsDirectMember("HOST\\alice", {"Administrator", "alice"}, MemberNames::MayLackDomain));
}

// The looser rule is chosen only where the process runs under Wine.
TEST(GroupMembers, BareNamesAreExpectedOnlyUnderWine) {
  EXPECT_EQ(platform::GroupMembersMayLackDomain(), testing_support::RunningUnderWine());
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
// The POSIX stand-in: the account is a direct member of its primary group.
TEST(GroupCheck, PosixGroupDatabase) {
  const struct group* own = ::getgrgid(::getegid());
  ASSERT_NE(own, nullptr);
  const std::string own_name = own->gr_name;
  int32_t four = 0;
  EXPECT_EQ(CheckUserGroups(own_name.c_str(), &four), 0) << own_name;
  EXPECT_EQ(four, 4);

  const std::optional<std::vector<std::string>> members = platform::LocalGroupMembers(own_name.c_str());
  ASSERT_TRUE(members.has_value());
  EXPECT_TRUE(IsDirectMember(platform::CurrentAccountName().value_or(""), *members, MemberNames::WithDomain));
}
#endif

}  // namespace
