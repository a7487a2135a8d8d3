// The initialise and PIN unlock dialogs on the pre-read card: what each
// outcome does to the card, the user-ID list and the log.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/core/card_preread.h"
#include "app/core/initialize_dialog.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::OperationBench;
using pellam::ConfirmDialog;
using pellam::InitializeDialog;
using Strings = std::vector<std::string>;

const std::string kList = "alice,2024,5,17,1\r\nbob,2024,5,17,2\r\n";
constexpr int kStaysOpen = app_test::FakeView::kNotEnded;

struct InitializeCase : app_test::OutcomeRow {
  bool delete_id;
  std::function<void(OperationBench&)> arrange;
  std::string list_after;
};

TEST(InitializeDialog, InitialisesDeletesTellsAndLogs) {
  const Strings user_work{"read-user-account", "initialize"};
  const Strings code_work{"read-user-code", "initialize"};
  const std::string keep = "alice,ADMIN01,initialize card (without userID delete from IDfile)";
  const std::string deleted = "alice,ADMIN01,initialize card (with userID delete from IDfile)";
  const std::string without_alice = "bob,2024,5,17,2\r\n";
  const auto none = [](OperationBench&) {};
  // A rewrite already waiting beside the list stops every change of it.
  const auto list_blocked = [](OperationBench& bench) {
    std::filesystem::create_directory(bench.folder.dir().path() / "UserIDList.csv.pending");
  };
  const auto carol = [](OperationBench& bench) { bench.card.user_id = "carol"; };
  // clang-format off
  const InitializeCase cases[] = {
      {{"keep", false, {}, "", user_work, {"T4004/Info"}, keep, 1}, false, none, kList},
      {{"delete", false, {}, "", user_work, {"T7010/Question", "T4004/Info"}, deleted, 1}, true, none, without_alice},
      {{"delete, not listed", false, {}, "", user_work, {"T7010/Question", "T7014/Question", "T4004/Info"},
        "carol,ADMIN01,initialize card (with userID delete from IDfile)", 1}, true, carol, kList},
      {{"delete fails", false, {}, "", user_work, {"T7010/Question", "T7012/Question", "T4004/Info"}, deleted, 1},
       true, list_blocked, kList},
      {{"delete, user ID unreadable", false, {}, "read-user-account", user_work, {"T7010/Question", "T4004/Info"},
        ",ADMIN01,initialize card (without userID delete from IDfile)", 1}, true, none, kList},
      {{"delete declined", false, {}, "", {}, {"T7010/Question"}, "", kStaysOpen, {false}}, true, none, kList},
      {{"initialisation fails", false, {}, "initialize", user_work, {"T7010/Question", "T7011/Question"}, "", 2}, true,
       none, kList},
      {{"close fails", false, {}, "close", user_work, {"T7010/Question", "T9009/Error"}, deleted, 2}, true, none,
       without_alice},
      {{"user-code card: the delete choice ignored", true, {}, "", code_work, {"T4004/Info"},
        "12345,ADMIN01,initialize card (L)", 1}, true, none, kList},
      {{"user code unreadable", true, {}, "read-user-code", code_work, {"T4004/Info"}, ",ADMIN01,initialize card (L)",
        1}, true, none, kList},
  };
  // clang-format on
  const auto opened = [](OperationBench& bench, InitializeDialog&, const InitializeCase& c) {
    bench.OpenList(kList);
    EXPECT_EQ(bench.view.checks, (std::map<int, bool>{{1027, true}})) << "the ID is kept unless told";
    EXPECT_EQ(bench.view.enabled.empty(), !c.code_card) << "a user-code card has no list line to offer";
    bench.view.checks = {{1026, c.delete_id}, {1027, !c.delete_id}};
    c.arrange(bench);
  };
  app_test::RunOutcomes<InitializeDialog>(
      pellam::RunInitialiseOperation, cases, opened, [](OperationBench& bench, const InitializeCase& c) {
        EXPECT_EQ(bench.ClosedList(), c.list_after);
        EXPECT_EQ(bench.state.user_id_count, c.list_after == kList ? 2 : 1);
        EXPECT_EQ(bench.view.focus_returns, c.result == kStaysOpen ? 1 : 0);
        EXPECT_TRUE(c.result != kStaysOpen || bench.card.calls.empty()) << "nothing done before the answer";
      });
}

TEST(ConfirmDialog, UnlocksTellsAndLogs) {
  const Strings work{"reset-retry", "read-user-account"};
  const std::string logged = "alice,ADMIN01,unlocked PIN";
  const app_test::OutcomeRow rows[] = {
      {"unlocked", false, {}, "", work, {"T4003/Info"}, logged, 1},
      {"user ID unreadable", false, {}, "read-user-account", work, {"T4003/Info"}, ",ADMIN01,unlocked PIN", 1},
      {"reset fails", false, {}, "reset-retry", {"reset-retry"}, {"T7009/Error"}, "", 2},
  };
  app_test::RunOutcomes<ConfirmDialog>(pellam::RunPinUnlockOperation, rows);
}

}  // namespace
