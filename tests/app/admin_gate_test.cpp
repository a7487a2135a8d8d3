// The administrator-card gate with a scripted reader: its mark and the owner
// chain, polling, the three messages, both results, the reader held open
// between ticks, and the main window's side of the gate.
#include <gtest/gtest.h>

#include <functional>

#include "app/core/about_dialog.h"
#include "app/core/admin_id_dialog.h"
#include "app/core/selection_dialog.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::FakeSurface;
using app_test::FakeView;
using app_test::OperationBench;
using pellam::AdminIdDialog;
using Strings = std::vector<std::string>;

// Timer ticks (while the timer runs and the dialog is open), then Cancel
// when `cancel`; the dialog ends with `result`, or stays open polling.
struct GateRun {
  const char* name;
  std::function<void(OperationBench&)> arrange;
  int ticks;
  bool cancel;
  Strings shown;
  int result;  // kStillPolling: not ended
  bool reader_open;
};

constexpr int kStillPolling = FakeView::kNotEnded;

TEST(Gate, PollsAsksReportsAndEnds) {
  const int read = AdminIdDialog::kResultRead;
  const int failed = AdminIdDialog::kResultFailed;
  const auto none = [](OperationBench&) {};
  const auto admin = [](OperationBench& b) { b.card.card_type = 16; };
  const auto read_fails_once = [](OperationBench& b) {
    b.card.card_type = 16;
    b.card.failing = {"read-admin-id"};
    b.surface.on_message = [&b] { b.card.failing.clear(); };
  };
  // The user card is swapped for the administrator card while the question is open.
  const auto user_then_admin = [](OperationBench& b) {
    b.card.card_type = 1;
    b.surface.answers = {true};
    b.surface.on_message = [&b] { b.card.card_type = 16; };
  };
  // clang-format off
  const GateRun runs[] = {
      {"no card: silent, the reader held open", none, 6, false, {}, kStillPolling, true},
      {"no card, then Cancel", none, 2, true, {}, failed, false},
      {"blank card, given up", [](OperationBench& b) { b.card.card_type = 0; }, 1, false, {"T9011/Question"}, failed,
       false},
      {"unknown type, given up", [](OperationBench& b) { b.card.card_type = 0; b.card.failing = {"type"}; }, 1,
       false, {"T9011/Question"}, failed, false},
      {"no reader", [](OperationBench& b) { b.card.failing = {"open"}; }, 1, false, {"T9001/Error"}, failed, false},
      {"a failed read is told and polling goes on", read_fails_once, 1, false, {"T7002/Error"}, kStillPolling, true},
      {"a failed read, then read", read_fails_once, 2, false, {"T7002/Error"}, read, false},
      {"administrator card", admin, 1, false, {}, read, false},
      {"a user card, then the administrator card", user_then_admin, 2, false, {"T9011/Question"}, read, false},
      {"close fails after the read", [](OperationBench& b) { b.card.card_type = 16; b.card.failing = {"close"}; },
       1, false, {"T7002/Error"}, failed, false},
  };
  // clang-format on
  for (const GateRun& run : runs) {
    SCOPED_TRACE(run.name);
    OperationBench bench;
    bench.state.records.admin.admin_id.Clear();
    bench.surface.answers = {false};
    run.arrange(bench);
    AdminIdDialog dialog(bench.state, bench.messages, bench.card);
    FakeView& view = bench.view;
    dialog.OnInit(view);
    EXPECT_EQ(view.marks.count("GetAdminDialog"), 1u);
    EXPECT_EQ(bench.state.message_owner, app_test::kDialogWindow);
    EXPECT_EQ(view.timers, (std::map<int, unsigned>{{AdminIdDialog::kTimer, 500u}}));
    EXPECT_TRUE(bench.card.calls.empty()) << "the reader is opened at the first tick";
    for (int i = 0; i < run.ticks && !view.ended; ++i) {
      ASSERT_EQ(view.timers.count(AdminIdDialog::kTimer), 1u) << "tick " << i << " with no timer running";
      dialog.OnTimer(view);
    }
    if (run.cancel) dialog.OnCancel(view);
    EXPECT_EQ(bench.Shown(), run.shown);
    for (const app_test::ShownMessage& message : bench.surface.shown) {
      EXPECT_EQ(message.owner, app_test::kDialogWindow);
      EXPECT_EQ(message.kind == pellam::MessageBoxKind::WarningQuestion, message.caption == "Question");
    }
    EXPECT_EQ(view.result, run.result);
    EXPECT_EQ(view.timers.count(AdminIdDialog::kTimer), view.ended ? 0u : 1u);
    EXPECT_EQ(bench.card.open, run.reader_open);
    EXPECT_EQ(bench.state.admin_reader_open, run.reader_open);
    EXPECT_LE(std::count(bench.card.calls.begin(), bench.card.calls.end(), "open"), 1);
    EXPECT_EQ(std::count(bench.card.calls.begin(), bench.card.calls.end(), "sense"),
              bench.card.failing.count("open") ? 0 : run.ticks);
    const auto& admin_id = bench.state.records.admin.admin_id;
    const bool read_in = run.result == read || bench.card.failing.count("close") != 0;  // read before the close failed
    EXPECT_EQ(std::string(admin_id.bytes.data()), read_in ? "ADMIN01" : "");
    if (read_in) {
      EXPECT_EQ(admin_id.length, 7);
    }
    dialog.OnDestroy(view);
    EXPECT_EQ(bench.state.message_owner, app_test::kMainWindow) << "the owner before the gate";
    EXPECT_TRUE(view.marks.empty());
  }
}

// The main window: the first paint asks once; a failed gate cancels it; the
// version button and the system menu open the same dialog, End closes.
// The version dialog warns of the development keys.
TEST(MainWindowGate, FirstPaintAsksOnceAFailedGateEndsAndTheButtonsOpenTheirDialogs) {
  OperationBench bench;
  pellam::StartupServices services{bench.card, 0x0409, [] { return 0; }};
  pellam::SelectionDialog window(bench.state, bench.messages, services);
  FakeView& view = bench.main;

  for (int i = 0; i < 3; ++i) window.OnPaint(view);
  EXPECT_EQ(view.posted, std::vector<unsigned>{1025});

  window.OnGateMessage(view);
  EXPECT_FALSE(view.ended);
  EXPECT_EQ(view.children, std::vector<pellam::ChildDialog>{pellam::ChildDialog::AdminId});

  for (const int result : {1, -1}) {
    FakeView again(app_test::kMainWindow);
    again.child_result = [result](pellam::ChildDialog) { return result; };
    window.OnGateMessage(again);
    EXPECT_TRUE(again.ended);
    EXPECT_EQ(again.result, pellam::SelectionDialog::kResultCancel);
  }

  view.children.clear();
  bench.card.failing = {"open"};  // no reader: the four card operations end at once
  window.OnCommand(view, 6008);
  window.OnSystemCommand(view, 16);
  window.OnSystemCommand(view, 0xF020);  // minimise: left to the system
  // With no reader, only Issue (which reads no card first) opens its dialog.
  for (const int button : {6002, 6003, 6004, 6005, 6006}) window.OnCommand(view, button);
  EXPECT_EQ(view.children, (std::vector<pellam::ChildDialog>{pellam::ChildDialog::About, pellam::ChildDialog::About,
                                                             pellam::ChildDialog::Issue}));
  EXPECT_EQ(bench.surface.shown.size(), 4u) << "the reader failure, once for each of the other four";
  EXPECT_FALSE(view.ended);
  window.OnCommand(view, 6007);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.result, pellam::SelectionDialog::kResultOk);

  // The version dialog of a build with the development keys (every test build) says so.
  pellam::AboutDialog about(bench.state);
  FakeView version(app_test::kDialogWindow);
  about.OnInit(version);
  EXPECT_EQ(version.texts[pellam::AboutDialog::kDevelopmentKeysControl], "T3008");
  about.OnDestroy(version);
}

}  // namespace
