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

struct InitializeCase {
  const char* name;
  bool code_card;
  bool delete_id;
  std::function<void(OperationBench&)> arrange;
  Strings work;
  Strings shown;
  std::string log;
  int result;
  std::string list_after;
};

TEST(InitializeDialog, InitialisesDeletesTellsAndLogs) {
  const Strings user_work{"read-user-account", "initialize"};
  const Strings code_work{"read-user-code", "initialize"};
  const std::string keep = "alice,ADMIN01,initialize card (without userID delete from IDfile)";
  const std::string deleted = "alice,ADMIN01,initialize card (with userID delete from IDfile)";
  const std::string without_alice = "bob,2024,5,17,2\r\n";
  const auto none = [](OperationBench&) {};
  const auto fail = [](const char* call) { return [call](OperationBench& bench) { bench.card.failing = {call}; }; };
  // A rewrite already waiting beside the list stops every change of it.
  const auto list_blocked = [](OperationBench& bench) {
    std::filesystem::create_directory(bench.folder.dir().path() / "UserIDList.csv.pending");
  };
  const auto decline = [](OperationBench& bench) { bench.surface.answers = {false}; };
  const auto close_fails = [](OperationBench& bench) { bench.card.failing = {"close"}; };
  const auto carol = [](OperationBench& bench) { bench.card.user_id = "carol"; };
  // clang-format off
  const InitializeCase cases[] = {
      {"keep", false, false, none, user_work, {"T4004/Info"}, keep, 1, kList},
      {"delete", false, true, none, user_work, {"T7010/Question", "T4004/Info"}, deleted, 1, without_alice},
      {"delete, not listed", false, true, carol, user_work, {"T7010/Question", "T7014/Question", "T4004/Info"},
       "carol,ADMIN01,initialize card (with userID delete from IDfile)", 1, kList},
      {"delete fails", false, true, list_blocked, user_work, {"T7010/Question", "T7012/Question", "T4004/Info"},
       deleted, 1, kList},
      {"delete, user ID unreadable", false, true, fail("read-user-account"), user_work,
       {"T7010/Question", "T4004/Info"}, ",ADMIN01,initialize card (without userID delete from IDfile)", 1, kList},
      {"delete declined", false, true, decline, {}, {"T7010/Question"}, "", kStaysOpen, kList},
      {"initialisation fails", false, true, fail("initialize"), user_work, {"T7010/Question", "T7011/Question"}, "",
       2, kList},
      {"close fails", false, true, close_fails, user_work, {"T7010/Question", "T9009/Error"}, deleted, 2,
       without_alice},
      {"user-code card: the delete choice ignored", true, true, none, code_work, {"T4004/Info"}, "12345,ADMIN01,initialize card (L)", 1, kList},
      {"user code unreadable", true, true, fail("read-user-code"), code_work, {"T4004/Info"},
       ",ADMIN01,initialize card (L)", 1, kList},
  };
  // clang-format on
  for (const InitializeCase& c : cases) {
    SCOPED_TRACE(c.name);
    OperationBench bench;
    bench.OpenList(kList);
    c.code_card ? bench.PlaceCodeCard() : bench.PlaceUserCard();
    InitializeDialog dialog(bench.context);
    bench.Open(pellam::RunInitialiseOperation, dialog);
    EXPECT_EQ(bench.view.checks, (std::map<int, bool>{{1027, true}})) << "the ID is kept unless told";
    EXPECT_EQ(bench.view.enabled.empty(), !c.code_card) << "a user-code card has no list line to offer";
    bench.view.checks = {{1026, c.delete_id}, {1027, !c.delete_id}};
    c.arrange(bench);
    bench.PressOk(dialog);
    bench.ExpectOutcome(c.work, c.shown, c.log, c.result);
    EXPECT_EQ(bench.ClosedList(), c.list_after);
    EXPECT_EQ(bench.state.user_id_count, c.list_after == kList ? 2 : 1);
    EXPECT_EQ(bench.view.focus_returns, c.result == kStaysOpen ? 1 : 0);
    EXPECT_TRUE(c.result != kStaysOpen || bench.card.calls.empty()) << "nothing done before the answer";
  }
}

struct ConfirmCase {
  const char* name;
  std::function<void(app_test::ScriptedCard&)> arrange;
  Strings work;
  Strings shown;
  std::string log;
  int result;
};

TEST(ConfirmDialog, UnlocksTellsAndLogs) {
  const Strings work{"reset-retry", "read-user-account"};
  const auto fail = [](const char* call) { return [call](app_test::ScriptedCard& card) { card.failing = {call}; }; };
  // clang-format off
  const ConfirmCase cases[] = {
      {"unlocked", [](auto&) {}, work, {"T4003/Info"}, "alice,ADMIN01,unlocked PIN", 1},
      {"user ID unreadable", fail("read-user-account"), work, {"T4003/Info"}, ",ADMIN01,unlocked PIN", 1},
      {"reset fails", fail("reset-retry"), {"reset-retry"}, {"T7009/Error"}, "", 2},
      {"close fails", [](auto& card) { card.failing = {"close"}; }, work, {"T9009/Error"}, "alice,ADMIN01,unlocked PIN",
       2},
  };
  // clang-format on
  for (const ConfirmCase& c : cases) {
    SCOPED_TRACE(c.name);
    OperationBench bench;
    bench.PlaceUserCard();
    ConfirmDialog dialog(bench.context);
    bench.Open(pellam::RunPinUnlockOperation, dialog);
    c.arrange(bench.card);
    bench.PressOk(dialog);
    bench.ExpectOutcome(c.work, c.shown, c.log, c.result);
  }
}

}  // namespace
