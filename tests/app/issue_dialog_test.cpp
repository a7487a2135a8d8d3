// The Issue dialogs against a scripted card, the real list and log libraries
// and the registry: initialisation and enabling rules, every check in order,
// re-issue and the full list, and the card operation's outcomes.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <span>

#include "app/core/issue_dialog.h"
#include "idlist/Tallix.h"
#include "platform/clock.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::OperationBench;
using pellam::IssueDialog;
using pellam::IssueInfoDialog;
using Strings = std::vector<std::string>;

constexpr int kPinDetails[] = {2018, 2017, 2021, 2022, 1014, 1013, 1012, 1001, 1028};
constexpr int kUserIdParts[] = {1006, 1007, 1008, 2014, 2015, 2016, 1004, 1009, 1010, 1011};
const std::map<int, std::string> kValidUserCard = {{2014, "alice"}, {2015, "pw"},   {2016, "pw"},
                                                   {2017, "1234"},  {2018, "1234"}, {2022, "3"}};

// Opens IssueDialog on the bench's view with a valid user-ID card typed.
void OpenIssue(OperationBench& bench, IssueDialog& dialog) {
  bench.ok_button = IssueDialog::kOkButton;
  dialog.OnInit(bench.view);
  bench.Type(kValidUserCard);
}

void ExpectEnabled(app_test::FakeView& view, std::span<const int> controls, bool enabled) {
  for (const int control : controls)
    EXPECT_EQ(view.enabled.count(control) == 0 || view.enabled[control], enabled) << control;
}

TEST(IssueDialog, InitialisationAndEnablingRules) {
  OperationBench bench;
  bench.MakeRegistry(1);
  IssueDialog dialog(bench.context);
  OpenIssue(bench, dialog);
  app_test::FakeView& view = bench.view;
  EXPECT_EQ(view.lists[2050], (Strings{"T1031", "T1032"}));
  const std::map<int, int> limits{{2014, 128}, {2015, 128}, {2016, 128}, {2017, 8}, {2018, 8},
                                  {2022, 2},   {2023, 64},  {2024, 128}, {2051, 8}};
  EXPECT_EQ(view.limits, limits);
  EXPECT_EQ(view.ranges[2021], std::make_pair(0, 99));
  EXPECT_EQ(view.positions[2021], 3);
  EXPECT_TRUE(view.checks[1010]);
  EXPECT_EQ(bench.state.message_owner, app_test::kDialogWindow);

  // Card use 1 from the registry: the nineteen user-ID-card controls are off.
  EXPECT_EQ(view.selections[2050], 1);
  ExpectEnabled(view, kUserIdParts, false);
  ExpectEnabled(view, kPinDetails, false);
  // Back to a user-ID card with PIN check off: the PIN details stay off.
  view.checks = {{1010, false}, {1011, true}};
  view.selections[2050] = 0;
  dialog.OnCommand(view, 2050, pellam::kNotifySelectionChanged);
  ExpectEnabled(view, kUserIdParts, true);
  ExpectEnabled(view, kPinDetails, false);
  dialog.OnCommand(view, 1010, pellam::kNotifyClicked);
  ExpectEnabled(view, kPinDetails, true);
  dialog.OnCommand(view, 1011, pellam::kNotifyClicked);
  ExpectEnabled(view, kPinDetails, false);
  // With PIN check off, the PIN fields are not read.
  bench.Type({{2017, "x"}, {2018, "y"}, {2022, "z"}});
  bench.PressOk(dialog);
  EXPECT_TRUE(bench.Shown().empty());
  EXPECT_EQ(bench.state.records.entry.pin_check_choice, 1011);
  EXPECT_EQ(bench.state.records.entry.lockout_count, 0);

  dialog.OnDestroy(view);
  EXPECT_EQ(bench.state.message_owner, app_test::kMainWindow);

  // No key, a value above 1, or a value that is not 4 bytes long (a QWORD 1,
  // five bytes 01 00 00 00 00): the user-ID card.
  const std::string one_longer("\x01\0\0\0\0", 5);
  for (int odd_value = 0; odd_value < 4; ++odd_value) {
    OperationBench again;
    switch (odd_value) {
      case 0: again.MakeRegistryWithoutKey(); break;
      case 1: again.MakeRegistry(7); break;
      case 2: again.MakeRegistryValue(11, one_longer + std::string(3, '\0')); break;
      case 3: again.MakeRegistryValue(3, one_longer); break;
    }
    IssueDialog fresh(again.context);
    OpenIssue(again, fresh);
    EXPECT_EQ(again.view.selections[2050], 0);
    EXPECT_TRUE(again.view.enabled.empty());
  }
}

TEST(IssueDialog, ChecksInOrder) {
  for (const bool code_card : {false, true}) {
    SCOPED_TRACE(code_card ? "user-code card" : "user-ID card");
    OperationBench bench;
    bench.OpenList(2);
    IssueDialog dialog(bench.context);
    OpenIssue(bench, dialog);
    bench.view.selections[2050] = code_card ? 1 : 0;
    bench.Type({{2014, ""},
                {2015, std::string(129, 'p')},
                {2016, "x"},
                {2017, "123"},
                {2018, "123"},
                {2022, "x"},
                {2023, std::string(65, 'n')},
                {2024, std::string(129, 'c')},
                {2051, "1x"}});
    std::vector<app_test::Refusal> refusals = {
        {"T9800/Error", {{2014, std::string(129, 'u')}}},
        {"T9700/Error", {{2014, "al\r\nice"}}},
        {"T9900/Error", {{2014, std::string(128, 'u')}}},  // 128 bytes pass
        {"T9701/Error", {{2015, ""}}},                     // an empty password passes
        {"T7005/Error", {{2016, ""}}},
        {"T9803/Error", {{2017, "123456789"}}},
        {"T9703/Error", {{2017, "12a4"}}},
        {"T7015/Error", {{2018, "12a4"}}},
        {"T9903/Error", {{2017, "1234"}, {2018, "1234"}}},
        {"T9909/Error", {{2022, "100"}}},
        {"T9702/Error", {{2022, "5"}}},
    };
    const std::vector<app_test::Refusal> common = {
        {"T9705/Error", {{2023, "Alice"}}},    {"T9710/Error", {{2024, "desk"}}},     {"T9911/Error", {{2051, "0"}}},
        {"T9811/Error", {{2051, "99999999"}}}, {"T9711/Error", {{2051, "99999998"}}},
    };
    if (code_card) {  // the user-code card reads the user code first, and needs one
      refusals = {{"T9911/Error", {{2051, ""}}},         {"T9812/Error", {{2051, "0"}}},
                  {"T9811/Error", {{2051, "99999999"}}}, {"T9711/Error", {{2051, "5"}}},
                  {"T9705/Error", {{2023, "Alice"}}},    {"T9710/Error", {{2024, "desk"}}}};
    } else {
      refusals.insert(refusals.end(), common.begin(), common.end());
    }
    // A lock-out count of 0 asks first on a user-ID card: Cancel keeps the
    // dialog open, OK goes on.
    refusals.back().then_typed[2022] = "0";
    if (!code_card) refusals.push_back({"T7016/Question", {}});
    bench.surface.answers = {false};
    bench.ExpectRefusals(dialog, refusals);
    bench.PressOk(dialog);
    EXPECT_EQ(bench.Shown(), code_card ? Strings{} : Strings{"T7016/Question"});
    EXPECT_EQ(bench.view.children, std::vector<pellam::ChildDialog>{pellam::ChildDialog::IssueInfo});
    if (code_card) continue;
    const pellam::EntryData& entry = bench.state.records.entry;
    EXPECT_EQ(entry.user_id.length, 128);
    EXPECT_EQ(entry.password.length, 0);
    EXPECT_EQ(entry.lockout_count, 0);
    EXPECT_EQ(std::string(entry.user_code.bytes.data(), 4), std::string("\x05\xF5\xE0\xFE", 4));
  }
}

TEST(IssueDialog, ReissueAndTheFullList) {
  struct Case {
    const char* user;
    int list_rows;
    bool answer;
    std::string shown;
    bool runs_second;
  };
  const Case cases[] = {
      {"user1", 3, true, "T7003/Question", true},     // listed: count + 1, stored date
      {"user1", 3, false, "T7003/Question", false},   // declined: the dialog stays
      {"user1", 1000, true, "T7003/Question", true},  // listed: allowed with the list full
      {"new", 1000, true, "T7004/Error", false},      // new with the list full: ends, nothing issued
      {"new", 999, true, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " " + std::to_string(c.list_rows));
    OperationBench bench;
    bench.OpenList(c.list_rows);
    IssueDialog dialog(bench.context);
    OpenIssue(bench, dialog);
    bench.Type({{2014, c.user}});
    bench.surface.answers = {c.answer};
    bench.PressOk(dialog);
    EXPECT_EQ(bench.Shown(), c.shown.empty() ? Strings{} : Strings{c.shown});
    EXPECT_EQ(bench.view.children.size(), c.runs_second ? 1u : 0u);
    EXPECT_EQ(bench.view.ended, c.runs_second || c.shown == "T7004/Error");
    const pellam::IssueInfo& issue = bench.state.records.issue;
    if (c.runs_second && c.user == std::string("user1")) {
      EXPECT_EQ(bench.state.records.list_index, 1);
      EXPECT_EQ(std::make_tuple(issue.issue_count, issue.year, issue.month, issue.day),
                std::make_tuple(2, 2024, 5, 17));
    }
  }
}

TEST(IssueInfoDialog, ShowsTheIssueAndChecksEachFieldInOrder) {
  OperationBench bench;
  bench.state.records.issue = {12, 2024, 5, 7};
  bench.card.failing = {"open"};  // the card work starts once every field passes
  IssueInfoDialog dialog(bench.context);
  dialog.OnInit(bench.view);
  EXPECT_EQ(bench.view.texts[2045], "12");
  EXPECT_EQ(bench.view.texts[2048], "5");
  EXPECT_EQ(bench.view.ranges[2046], std::make_pair(0, 32767));
  EXPECT_EQ(bench.view.limits, (std::map<int, int>{{2045, 5}, {2047, 4}, {2048, 2}, {2049, 2}}));
  bench.Type({{2045, "x"}, {2047, "2O24"}, {2048, "1a"}, {2049, "-1"}});
  bench.ExpectRefusals(dialog, {
                                   {"T9902/Error", {{2045, "32768"}}},
                                   {"T9706/Error", {{2045, ""}}},  // count 0 passes
                                   {"T9906/Error", {{2047, "3001"}}},
                                   {"T9707/Error", {{2047, "0"}}},  // year 0 passes
                                   {"T9907/Error", {{2048, "0"}}},
                                   {"T9808/Error", {{2048, "13"}}},
                                   {"T9708/Error", {{2048, "2"}}},
                                   {"T9908/Error", {{2049, ""}}},
                                   {"T9809/Error", {{2049, "32"}}},
                                   {"T9709/Error", {{2049, "31"}}},  // 31 February passes
                               });
  bench.PressOk(dialog);
  EXPECT_EQ(bench.Shown(), Strings{"T9001/Error"});
  EXPECT_EQ(bench.view.result, pellam::kDialogCancel);
  const pellam::IssueInfo& issue = bench.state.records.issue;
  EXPECT_EQ(std::make_tuple(issue.issue_count, issue.year, issue.month, issue.day), std::make_tuple(0, 0, 2, 31));
}

// One issue from the second dialog's OK to its end.
struct IssueRun {
  const char* name;
  bool code_card = false;
  std::function<void(OperationBench&)> arrange;
  Strings shown;
  int result = pellam::kDialogOk;
  bool recorded = true;  // list line (user-ID card), log line, card use
  bool written = true;   // every field on the card
};

TEST(IssueInfoDialog, CardOperation) {
  const Strings user_writes = {"write-user-account", "write-admin-id", "write-retry-limit", "write-pin",
                               "write-user-name",    "write-comment",  "write-user-code",   "write-issue-info"};
  const Strings code_writes = {"write-user-code", "write-admin-id", "write-user-name", "write-comment",
                               "write-issue-info"};
  const std::string list = "user0,2024,5,17,1\r\nuser1,2024,5,17,1\r\n";
  const platform::LocalDateTime now = platform::CurrentLocalDateTime();
  const std::string today =
      "alice," + std::to_string(now.year) + "," + std::to_string(now.month) + "," + std::to_string(now.day) + ",1\r\n";
  const int cancelled = pellam::kDialogCancel;
  const auto not_blank_then_blank = [](OperationBench& b) {
    b.card.PlaceUser(5, "bob");
    b.surface.on_message = [&b] {
      b.card.PlaceBlank(6);
      b.surface.on_message = nullptr;
    };
  };
  // clang-format off
  const IssueRun runs[] = {
      {"user-ID card", false, nullptr, {"T4000/Info"}},
      {"user-code card", true, nullptr, {"T4000/Info"}},
      {"a card that is not blank, then a blank one", false, not_blank_then_blank, {"T9013/Question", "T4000/Info"}},
      {"no card, given up", false,
       [](OperationBench& b) { b.card.card_type = app_test::ScriptedCard::kNoCard; b.surface.answers = {false}; },
       {"T9010/Question"}, cancelled, false, false},
      {"keys not set, given up", false,
       [](OperationBench& b) { b.card.failing = {"set-all-key"}; b.surface.answers = {false}; }, {"T9014/Question"},
       cancelled, false, false},
      {"no reader", false, [](OperationBench& b) { b.card.failing = {"open"}; }, {"T9001/Error"}, cancelled, false,
       false},
      {"a write fails half-way", false, [](OperationBench& b) { b.card.failing = {"write-user-name"}; },
       {"T9015/Question"}, cancelled, false, false},
      {"closing fails: recorded all the same", false, [](OperationBench& b) { b.card.failing = {"close"}; },
       {"T9009/Error"}, cancelled},
      {"the list cannot be written", false, [](OperationBench& b) { b.ClosedList(); }, {"T9006/Error"},
       pellam::kDialogOk, false},
      {"no log file: the issue goes on", false, [](OperationBench&) { std::remove("UserCardProcessLog.csv"); },
       {"T7013/Error", "T4000/Info"}},
      {"no registry key", false, [](OperationBench& b) { b.MakeRegistryWithoutKey(); }, {"T7017/Error"}},
  };
  // clang-format on
  for (const IssueRun& run : runs) {
    SCOPED_TRACE(run.name);
    OperationBench bench;
    bench.OpenList(list);
    const std::int64_t old_use = run.code_card ? 0 : 1;
    bench.MakeRegistry(static_cast<std::uint32_t>(old_use));
    bench.card.PlaceBlank(4);
    IssueDialog first(bench.context);
    OpenIssue(bench, first);
    bench.Type({{2023, "Alice"}, {2024, "desk"}, {2051, "12345"}});
    bench.view.selections[2050] = run.code_card ? 1 : 0;
    bench.PressOk(first);
    if (run.arrange) run.arrange(bench);
    IssueInfoDialog second(bench.context);
    bench.view = app_test::FakeView(app_test::kDialogWindow);
    bench.ok_button = pellam::kDialogOk;
    second.OnInit(bench.view);
    bench.PressOk(second);

    EXPECT_EQ(bench.Shown(), run.shown);
    EXPECT_EQ(bench.view.result, run.result);
    EXPECT_FALSE(bench.view.window_enabled);
    EXPECT_FALSE(bench.card.open);
    if (run.written) {
      EXPECT_EQ(bench.card.CardWork(), run.code_card ? code_writes : user_writes);
    }
    const bool listed = run.recorded && !run.code_card;
    EXPECT_EQ(bench.ClosedList(), listed ? list + today : list);
    const bool logged = run.recorded && run.shown[0] != "T7013/Error";
    EXPECT_EQ(bench.LastLog(), !logged         ? ""
                               : run.code_card ? "12345,ADMIN01,issue new card (L)"
                                               : "alice,ADMIN01,issue new card");
    const bool key_missing = run.shown[0] == "T7017/Error";
    EXPECT_EQ(bench.StoredCardUse(), key_missing ? -1 : run.recorded ? 1 - old_use : old_use);
    const bool complete = run.shown.back() == "T4000/Info";
    EXPECT_EQ(bench.state.records.entry.user_name.bytes[0] == '\0', complete) << "cleared after success only";
  }
}

}  // namespace
