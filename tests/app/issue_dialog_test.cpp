// The Issue dialogs against a scripted card, the real list and log libraries
// and the registry stand-in: initialisation and enabling rules, every check in
// order, re-issue and the full list, and the card operation's outcomes.
#include <gtest/gtest.h>

#include <map>

#include "app/core/issue_dialog.h"
#include "idlist/Tallix.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::FakeView;
using app_test::OperationBench;
using pellam::ChildDialog;
using pellam::IssueDialog;
using pellam::IssueInfoDialog;

constexpr int kPinDetails[] = {2018, 2017, 2021, 2022, 1014, 1013, 1012, 1001, 1028};
constexpr int kUserIdParts[] = {1006, 1007, 1008, 2014, 2015, 2016, 1004, 1009, 1010, 1011};

// The first dialog, opened and filled with a valid user-ID card.
struct IssueForm {
  explicit IssueForm(OperationBench& bench) : dialog(bench.context) {
    dialog.OnInit(view);
    view.texts[2014] = "alice";
    view.texts[2015] = view.texts[2016] = "pw";
    view.texts[2017] = view.texts[2018] = "1234";
    view.texts[2022] = "3";
  }
  void Ok() { dialog.OnCommand(view, IssueDialog::kOkButton, pellam::kNotifyClicked); }

  IssueDialog dialog;
  FakeView view{app_test::kDialogWindow};
};

TEST(IssueDialog, InitialisationAndEnablingRules) {
  OperationBench bench;
  bench.MakeRegistry(1);
  IssueForm form(bench);
  FakeView& view = form.view;
  EXPECT_EQ(view.title, "T5002");
  EXPECT_EQ(view.texts[1006], "T1006(&U):");
  EXPECT_EQ(view.texts[1029], "T1029(&M):");
  EXPECT_EQ(view.texts[1010], "T1010(&E)");
  EXPECT_EQ(view.texts[6000], "OK");
  EXPECT_EQ(view.lists[2050], (std::vector<std::string>{"T1031", "T1032"}));
  EXPECT_EQ(
      view.limits,
      (std::map<int, int>{
          {2014, 128}, {2015, 128}, {2016, 128}, {2017, 8}, {2018, 8}, {2022, 2}, {2023, 64}, {2024, 128}, {2051, 8}}));
  EXPECT_EQ(view.ranges[2021], std::make_pair(0, 99));
  EXPECT_EQ(view.positions[2021], 3);
  EXPECT_TRUE(view.checks[1010]);
  EXPECT_EQ(bench.state.message_owner, app_test::kDialogWindow);

  // Card use 1 from the registry: the nineteen user-ID-card controls are off.
  EXPECT_EQ(view.selections[2050], 1);
  for (const int control : kUserIdParts) EXPECT_FALSE(view.enabled[control]) << control;
  for (const int control : kPinDetails) EXPECT_FALSE(view.enabled[control]) << control;

  // Back to a user-ID card with PIN check off: the PIN details stay off.
  view.checks[1010] = false;
  view.checks[1011] = true;
  view.selections[2050] = 0;
  form.dialog.OnCommand(view, 2050, pellam::kNotifySelectionChanged);
  for (const int control : kUserIdParts) EXPECT_TRUE(view.enabled[control]) << control;
  for (const int control : kPinDetails) EXPECT_FALSE(view.enabled[control]) << control;
  form.dialog.OnCommand(view, 1010, pellam::kNotifyClicked);
  for (const int control : kPinDetails) EXPECT_TRUE(view.enabled[control]) << control;
  form.dialog.OnCommand(view, 1011, pellam::kNotifyClicked);
  for (const int control : kPinDetails) EXPECT_FALSE(view.enabled[control]) << control;

  form.dialog.OnDestroy(view);
  EXPECT_EQ(bench.state.message_owner, app_test::kMainWindow);
}

TEST(IssueDialog, MissingOrOddCardUseSelectsTheUserIdCard) {
  for (const bool key : {false, true}) {
    OperationBench bench;
    if (key) {
      bench.MakeRegistry(7);
    } else {
      bench.MakeRegistryWithoutKey();
    }
    IssueForm form(bench);
    EXPECT_EQ(form.view.selections[2050], 0);
    EXPECT_EQ(form.view.enabled.count(2014), 0u) << "nothing disabled";
  }
}

struct CheckCase {
  const char* name;
  std::map<int, std::string> texts;  // over the valid user-ID card
  std::string shown;                 // the one message, or "" when the data pass
  bool code_card = false;
  bool pin_off = false;
  bool answer = true;  // to a question
};

TEST(IssueDialog, ChecksInOrder) {
  const std::string id128(128, 'u');
  const CheckCase cases[] = {
      {"valid", {}, ""},
      {"128-byte user ID", {{2014, id128}}, ""},
      {"empty password", {{2015, ""}, {2016, ""}}, ""},
      {"user code 99999998", {{2051, "99999998"}}, ""},
      {"empty user ID", {{2014, ""}, {2015, std::string(200, 'p')}}, "T9800/Error"},
      {"129-byte user ID", {{2014, id128 + "u"}}, "T9700/Error"},
      {"line break in user ID", {{2014, "al\r\nice"}}, "T9900/Error"},
      {"DEL in user ID", {{2014, "al\x7F"}}, "T9900/Error"},
      {"129-byte password", {{2015, std::string(129, 'p')}}, "T9701/Error"},
      {"password differs", {{2016, "pW"}, {2017, "1"}}, "T7005/Error"},
      {"PIN of 3", {{2017, "123"}, {2018, "123"}}, "T9803/Error"},
      {"PIN of 9", {{2017, "123456789"}}, "T9703/Error"},
      {"re-entry differs", {{2018, "1235"}}, "T7015/Error"},
      {"letter in PIN", {{2017, "12a4"}, {2018, "12a4"}, {2022, "x"}}, "T9903/Error"},
      {"letter in lock-out", {{2022, "1x"}}, "T9909/Error"},
      {"lock-out 100", {{2022, "100"}}, "T9702/Error"},
      {"lock-out 0, OK", {{2022, "0"}}, "T7016/Question"},
      {"lock-out 0, Cancel", {{2022, "0"}}, "T7016/Question", false, false, false},
      {"PIN off: PIN fields not read", {{2017, "x"}, {2022, "x"}}, "", false, true},
      {"65-byte name", {{2023, std::string(65, 'n')}, {2024, std::string(200, 'c')}}, "T9705/Error"},
      {"129-byte comment", {{2024, std::string(129, 'c')}, {2051, "x"}}, "T9710/Error"},
      {"letter in user code", {{2051, "12a"}}, "T9911/Error"},
      {"user code 0", {{2051, "0"}}, "T9811/Error"},
      {"user code 99999999", {{2051, "99999999"}}, "T9711/Error"},
      {"user-code card: empty code", {{2051, ""}, {2014, ""}}, "T9812/Error", true},
      {"user-code card: code before name", {{2051, "0"}, {2023, std::string(65, 'n')}}, "T9811/Error", true},
      {"user-code card: name", {{2051, "5"}, {2023, std::string(65, 'n')}}, "T9705/Error", true},
      {"user-code card: passwords not read", {{2051, "5"}, {2015, "a"}, {2016, "b"}}, "", true},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    OperationBench bench;
    bench.OpenList(2);
    IssueForm form(bench);
    for (const auto& [control, text] : c.texts) form.view.texts[control] = text;
    form.view.selections[2050] = c.code_card ? 1 : 0;
    form.view.checks[1010] = !c.pin_off;
    bench.surface.answers = {c.answer};
    form.Ok();
    EXPECT_EQ(bench.Shown(), c.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.shown});
    const bool passed = c.shown.empty() || (c.shown == "T7016/Question" && c.answer);
    EXPECT_EQ(form.view.ended, passed);
    EXPECT_EQ(form.view.children,
              passed ? std::vector<ChildDialog>{ChildDialog::IssueInfo} : std::vector<ChildDialog>{});
    EXPECT_EQ(form.view.focus_returns, passed ? 0 : 1);
  }
}

TEST(IssueDialog, WhatTheSecondDialogGets) {
  OperationBench bench;
  bench.OpenList(2);
  IssueForm form(bench);
  form.view.texts[2014] = std::string(128, 'u');
  form.view.texts[2022] = "0";
  form.view.texts[2051] = "12345";
  form.Ok();
  const pellam::SharedRecords& records = bench.state.records;
  EXPECT_EQ(records.issue_card_kind, pellam::CardKind::UserCard);
  EXPECT_EQ(records.entry.user_id.length, 128);
  EXPECT_EQ(records.entry.pin.length, 4);
  EXPECT_EQ(records.entry.lockout_count, 0);
  EXPECT_EQ(records.entry.pin_check_choice, 1010);
  EXPECT_EQ(records.entry.user_code.length, 4);
  EXPECT_EQ(std::string(records.entry.user_code.bytes.data(), 4), std::string("\0\0\x30\x39", 4));
  EXPECT_EQ(records.list_index, -1);
  EXPECT_EQ(records.issue.issue_count, 1);
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
    IssueForm form(bench);
    form.view.texts[2014] = c.user;
    bench.surface.answers = {c.answer};
    form.Ok();
    EXPECT_EQ(bench.Shown(), c.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.shown});
    EXPECT_EQ(form.view.children.size(), c.runs_second ? 1u : 0u);
    EXPECT_EQ(form.view.ended, c.runs_second || c.shown == "T7004/Error");
    if (c.runs_second && c.user == std::string("user1")) {
      const pellam::IssueInfo& issue = bench.state.records.issue;
      EXPECT_EQ(bench.state.records.list_index, 1);
      EXPECT_EQ(issue.issue_count, 2);
      EXPECT_EQ(issue.year, 2024);
      EXPECT_EQ(issue.day, 17);
    }
  }
}

// The second dialog over what the first one left.
struct InfoForm {
  explicit InfoForm(OperationBench& bench) : dialog(bench.context) {}
  void Open() { dialog.OnInit(view); }
  void Ok() { dialog.OnCommand(view, pellam::kDialogOk, pellam::kNotifyClicked); }
  IssueInfoDialog dialog;
  FakeView view{app_test::kDialogWindow};
};

TEST(IssueInfoDialog, ShowsTheIssueAndChecksEachField) {
  OperationBench bench;
  bench.state.records.issue = {12, 2024, 5, 7};
  InfoForm form(bench);
  form.Open();
  EXPECT_EQ(form.view.title, "T5003");
  EXPECT_EQ(form.view.texts[1016], "T1016(&C):");
  EXPECT_EQ(form.view.texts[2045], "12");
  EXPECT_EQ(form.view.texts[2048], "5");
  EXPECT_EQ(form.view.ranges[2046], std::make_pair(0, 32767));
  EXPECT_EQ(form.view.limits, (std::map<int, int>{{2045, 5}, {2047, 4}, {2048, 2}, {2049, 2}}));

  const std::pair<std::map<int, std::string>, std::string> cases[] = {
      {{{2045, "x"}}, "T9902/Error"},
      {{{2045, "32768"}}, "T9706/Error"},
      {{{2047, "3001"}}, "T9707/Error"},
      {{{2047, "2O24"}}, "T9906/Error"},
      {{{2048, "1a"}}, "T9907/Error"},
      {{{2048, "0"}}, "T9808/Error"},
      {{{2048, "13"}}, "T9708/Error"},
      {{{2049, ""}}, "T9809/Error"},
      {{{2049, "32"}}, "T9709/Error"},
      {{{2049, "-1"}}, "T9908/Error"},
      // Count 0, year 0 and 31 February pass: the card work starts (no reader here).
      {{{2045, ""}, {2047, "0"}, {2048, "2"}, {2049, "31"}}, "T9001/Error"},
  };
  bench.card.open_fails = true;
  for (const auto& [texts, shown] : cases) {
    SCOPED_TRACE(shown);
    bench.surface.shown.clear();
    bench.state.records.issue = {12, 2024, 5, 7};  // a refused field has been stored all the same
    InfoForm again(bench);
    again.Open();
    for (const auto& [control, text] : texts) again.view.texts[control] = text;
    again.Ok();
    EXPECT_EQ(bench.Shown(), std::vector<std::string>{shown});
    const bool passed = shown == "T9001/Error";
    EXPECT_EQ(again.view.ended, passed);
    EXPECT_EQ(bench.card.calls.empty(), !passed) << "no card work before the fields pass";
    bench.card.calls.clear();
  }
}

// One issue from the second dialog's OK to its end.
struct IssueRun {
  const char* name;
  bool code_card = false;
  std::function<void(OperationBench&)> setup;
  std::vector<std::string> shown;
  int result = pellam::kDialogOk;
  bool recorded = true;  // list line (user-ID card), log line, card use
  bool written = true;   // every field on the card
};

constexpr const char* kUserWrites[] = {"write-user-account", "write-admin-id", "write-retry-limit", "write-pin",
                                       "write-user-name",    "write-comment",  "write-user-code",   "write-issue-info"};
constexpr const char* kCodeWrites[] = {"write-user-code", "write-admin-id", "write-user-name", "write-comment",
                                       "write-issue-info"};

TEST(IssueInfoDialog, CardOperation) {
  const IssueRun runs[] = {
      {"user-ID card", false, nullptr, {"T4000/Info"}},
      {"user-code card", true, nullptr, {"T4000/Info"}},
      {"a card that is not blank, then a blank one",
       false,
       [](OperationBench& b) {
         b.card.PlaceUser(5, "bob");
         b.surface.on_message = [&b] {
           b.card.PlaceBlank(6);
           b.surface.on_message = nullptr;
         };
       },
       {"T9013/Question", "T4000/Info"}},
      {"no card, given up",
       false,
       [](OperationBench& b) {
         b.card.card_type = app_test::ScriptedCard::kNoCard;
         b.surface.answers = {false};
       },
       {"T9010/Question"},
       pellam::kDialogCancel,
       false,
       false},
      {"keys not set, given up",
       false,
       [](OperationBench& b) {
         b.card.failing = {"set-all-key"};
         b.surface.answers = {false};
       },
       {"T9014/Question"},
       pellam::kDialogCancel,
       false,
       false},
      {"no reader",
       false,
       [](OperationBench& b) { b.card.open_fails = true; },
       {"T9001/Error"},
       pellam::kDialogCancel,
       false,
       false},
      {"a write fails half-way",
       false,
       [](OperationBench& b) { b.card.failing = {"write-user-name"}; },
       {"T9015/Question"},
       pellam::kDialogCancel,
       false,
       false},
      {"closing fails: recorded all the same",
       false,
       [](OperationBench& b) { b.card.close_fails = true; },
       {"T9009/Error"},
       pellam::kDialogCancel},
      {"the list cannot be written",
       false,
       [](OperationBench& b) {
         CloseIDFile(b.state.list_handle);
         b.state.list_open = false;
       },
       {"T9006/Error"},
       pellam::kDialogOk,
       false},
      {"no log file: the issue goes on",
       false,
       [](OperationBench&) { std::remove("UserCardProcessLog.csv"); },
       {"T7013/Error", "T4000/Info"}},
      {"no registry key", false, [](OperationBench& b) { b.MakeRegistryWithoutKey(); }, {"T7017/Error"}},
  };
  for (const IssueRun& run : runs) {
    SCOPED_TRACE(run.name);
    OperationBench bench;
    bench.OpenList(2);
    bench.MakeRegistry(run.code_card ? 0 : 1);
    bench.card.PlaceBlank(4);
    IssueForm first(bench);
    first.view.texts[2023] = "Alice";
    first.view.texts[2024] = "desk";
    first.view.texts[2051] = "12345";
    first.view.selections[2050] = run.code_card ? 1 : 0;
    first.Ok();
    ASSERT_EQ(first.view.children.size(), 1u);
    if (run.setup) run.setup(bench);
    const std::string list_before = "user0,2024,5,17,1\r\nuser1,2024,5,17,1\r\n";
    InfoForm second(bench);
    second.Open();
    second.Ok();

    EXPECT_EQ(bench.Shown(), run.shown);
    EXPECT_TRUE(second.view.ended);
    EXPECT_EQ(second.view.result, run.result);
    EXPECT_FALSE(second.view.window_enabled);
    EXPECT_FALSE(bench.card.open);
    EXPECT_EQ(bench.pauses.size(),
              run.shown.size() > 1 && run.shown[0].find("Question") != std::string::npos ? 1u : 0u);

    std::vector<std::string> writes;
    for (const std::string& call : bench.card.CardWork()) writes.push_back(call);
    if (run.written) {
      const auto& order = run.code_card ? std::vector<std::string>(std::begin(kCodeWrites), std::end(kCodeWrites))
                                        : std::vector<std::string>(std::begin(kUserWrites), std::end(kUserWrites));
      EXPECT_EQ(writes, order);
      EXPECT_EQ(bench.card.admin_id, "ADMIN01");
      EXPECT_EQ(bench.card.user_name, "Alice");
      EXPECT_EQ(bench.card.user_code, (std::array<std::uint8_t, 4>{0x00, 0x00, 0x30, 0x39}));
      if (!run.code_card) {
        EXPECT_EQ(bench.card.user_id, "alice");
        EXPECT_EQ(bench.card.pin, "1234");
        EXPECT_EQ(bench.card.retry_limit, 3);
      }
    }
    const std::string list_after = bench.ClosedList();
    const bool listed = run.recorded && !run.code_card;
    EXPECT_EQ(list_after.size() > list_before.size(), listed);
    if (listed) {
      EXPECT_EQ(list_after.substr(list_before.size(), 6), "alice,");
    }
    const bool logged = run.recorded && run.shown[0] != "T7013/Error";
    EXPECT_EQ(bench.LogLines().size(), logged ? 1u : 0u);
    if (logged) {
      EXPECT_EQ(bench.LastLog(), run.code_card ? "12345,ADMIN01,issue new card (L)" : "alice,ADMIN01,issue new card");
    }
    const bool key_missing = run.shown[0] == "T7017/Error";
    const std::int64_t old_use = run.code_card ? 0 : 1;
    EXPECT_EQ(bench.StoredCardUse(), key_missing ? -1 : run.recorded ? 1 - old_use : old_use);
    const bool complete = run.shown.back() == "T4000/Info";
    EXPECT_EQ(bench.state.records.entry.user_id.bytes[0] == '\0', complete || run.code_card) << "cleared after success";
  }
}

}  // namespace
