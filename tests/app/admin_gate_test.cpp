// The administrator-card gate with a scripted reader: polling, the three
// messages, both results, the reader held open between ticks, and the main
// window's side of the gate.
#include <gtest/gtest.h>

#include "app/core/admin_id_dialog.h"
#include "app/core/selection_dialog.h"
#include "app/core/text_ids.h"
#include "tests/app/fake_view.h"
#include "tests/app/scripted_card.h"

namespace {

using app_test::FakeSurface;
using app_test::FakeView;
using app_test::ScriptedCard;
using pellam::AdminIdDialog;

constexpr pellam::WindowRef kMain = 0x10;
constexpr pellam::WindowRef kDialog = 0x20;

// A small language table whose texts name their ids ("T9011"), so that the
// tests see which message came.
class Gate : public ::testing::Test {
 protected:
  Gate() : messages_(state_, surface_), dialog_(state_, messages_, card_) {
    const std::string rows = Rows();
    std::copy(rows.begin(), rows.end(), state_.language_rows.begin());
    state_.language_row_count = 5;
    std::copy_n("Question", 8, state_.question_caption.begin());
    std::copy_n("Error", 5, state_.error_caption.begin());
    std::copy_n("Cancel", 6, state_.cancel_text.begin());
    state_.message_owner = kMain;
    surface_.windows = {kMain, kDialog};
  }

  // One 600-byte row per text: "id,Tid" so that a shown text names its id.
  static std::string Rows() {
    std::string rows;
    for (const char* line : {"5000,T5000\n", "1000,T1000\n", "9001,T9001\n", "9011,T9011\n", "7002,T7002\n"}) {
      std::string row(line);
      row.resize(600, '\0');
      rows += row;
    }
    return rows;
  }

  void Init() { dialog_.OnInit(view_); }

  // Timer ticks while the timer runs and the dialog is open.
  void Ticks(int count) {
    for (int i = 0; i < count && !view_.ended; ++i) {
      ASSERT_EQ(view_.timers.count(AdminIdDialog::kTimer), 1u) << "tick " << i << " with no timer running";
      dialog_.OnTimer(view_);
    }
  }

  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const auto& message : surface_.shown) texts.push_back(message.text + "/" + message.caption);
    return texts;
  }

  pellam::AppState state_;
  FakeSurface surface_;
  pellam::Messages messages_;
  ScriptedCard card_;
  FakeView view_{kDialog};
  AdminIdDialog dialog_;
};

TEST_F(Gate, InitialisationAndDestructionKeepTheOwnerChain) {
  Init();
  EXPECT_EQ(view_.title, "T5000");
  EXPECT_EQ(view_.texts[1000], "T1000");
  EXPECT_EQ(view_.texts[2], "Cancel");
  EXPECT_EQ(view_.marks.count("GetAdminDialog"), 1u);
  EXPECT_EQ(state_.message_owner, kDialog);
  EXPECT_EQ(view_.timers[AdminIdDialog::kTimer], 500u);
  EXPECT_TRUE(card_.calls.empty()) << "the reader is opened at the first tick";
  dialog_.OnDestroy(view_);
  EXPECT_EQ(state_.message_owner, kMain);
  EXPECT_TRUE(view_.marks.empty());
}

TEST_F(Gate, NoCardPollsSilentlyWithTheReaderHeldOpen) {
  Init();
  Ticks(6);
  EXPECT_FALSE(view_.ended);
  EXPECT_TRUE(surface_.shown.empty());
  EXPECT_EQ(std::count(card_.calls.begin(), card_.calls.end(), "open"), 1);
  EXPECT_EQ(std::count(card_.calls.begin(), card_.calls.end(), "sense"), 6);
  EXPECT_TRUE(card_.open);
  EXPECT_TRUE(state_.admin_reader_open);
  EXPECT_EQ(view_.timer_starts, 7);
}

TEST_F(Gate, UserCardAsksAndASwappedAdministratorCardIsRead) {
  Init();
  card_.card_type = 1;
  surface_.on_message = [this] { card_.card_type = 16; };  // swapped while the question is open
  Ticks(1);
  ASSERT_EQ(Shown(), std::vector<std::string>{"T9011/Question"});
  EXPECT_EQ(surface_.shown[0].kind, pellam::MessageBoxKind::WarningQuestion);
  EXPECT_EQ(surface_.shown[0].owner, kDialog);
  EXPECT_FALSE(view_.ended);
  Ticks(1);
  ASSERT_TRUE(view_.ended);
  EXPECT_EQ(view_.result, AdminIdDialog::kResultRead);
  const auto& admin = state_.records.admin.admin_id;
  EXPECT_EQ(std::string(admin.bytes.data(), static_cast<std::size_t>(admin.length)), "ADMIN01");
  EXPECT_EQ(admin.bytes[7], '\0');
  EXPECT_FALSE(card_.open);
  EXPECT_FALSE(state_.admin_reader_open);
  EXPECT_EQ(std::count(card_.calls.begin(), card_.calls.end(), "open"), 1);
}

TEST_F(Gate, BlankCardOrAFailedTypeAsksAndCancelEnds) {
  for (const bool type_fails : {false, true}) {
    SCOPED_TRACE(type_fails);
    ScriptedCard card;
    card.card_type = 0;
    card.type_fails = type_fails;
    FakeView view(kDialog);
    AdminIdDialog dialog(state_, messages_, card);
    surface_.shown.clear();
    surface_.answers = {false};
    dialog.OnInit(view);
    dialog.OnTimer(view);
    EXPECT_EQ(Shown(), std::vector<std::string>{"T9011/Question"});
    ASSERT_TRUE(view.ended);
    EXPECT_EQ(view.result, AdminIdDialog::kResultFailed);
    EXPECT_FALSE(card.open);
    EXPECT_EQ(view.timers.count(AdminIdDialog::kTimer), 0u);
  }
}

TEST_F(Gate, NoReaderEndsWith9001) {
  card_.open_fails = true;
  Init();
  Ticks(1);
  EXPECT_EQ(Shown(), std::vector<std::string>{"T9001/Error"});
  ASSERT_TRUE(view_.ended);
  EXPECT_EQ(view_.result, AdminIdDialog::kResultFailed);
  EXPECT_EQ(view_.timers.count(AdminIdDialog::kTimer), 0u);
}

TEST_F(Gate, ReadFailureReportsAndPollingGoesOn) {
  card_.card_type = 16;
  card_.admin_reads_failing = 1;
  Init();
  Ticks(1);
  EXPECT_EQ(Shown(), std::vector<std::string>{"T7002/Error"});
  EXPECT_FALSE(view_.ended);
  EXPECT_TRUE(card_.open);
  Ticks(1);
  ASSERT_TRUE(view_.ended);
  EXPECT_EQ(view_.result, AdminIdDialog::kResultRead);
  EXPECT_EQ(std::count(card_.calls.begin(), card_.calls.end(), "open"), 1);
}

TEST_F(Gate, CloseFailureAfterTheReadEndsWith7002) {
  card_.card_type = 16;
  card_.close_fails = true;
  Init();
  Ticks(1);
  EXPECT_EQ(Shown(), std::vector<std::string>{"T7002/Error"});
  ASSERT_TRUE(view_.ended);
  EXPECT_EQ(view_.result, AdminIdDialog::kResultFailed);
}

TEST_F(Gate, CancelStopsTheTimerAndClosesTheReader) {
  Init();
  Ticks(2);
  dialog_.OnCancel(view_);
  ASSERT_TRUE(view_.ended);
  EXPECT_EQ(view_.result, AdminIdDialog::kResultFailed);
  EXPECT_EQ(view_.timers.count(AdminIdDialog::kTimer), 0u);
  EXPECT_FALSE(card_.open);
  EXPECT_TRUE(surface_.shown.empty());
}

// The main window: the first paint asks once; a failed gate cancels it.
TEST(MainWindowGate, FirstPaintPostsOnceAndAFailedGateEndsTheWindow) {
  pellam::AppState state;
  FakeSurface surface;
  pellam::Messages messages(state, surface);
  ScriptedCard card;
  pellam::StartupServices services{card, 0x0409, [] { return 0; }};
  pellam::SelectionDialog window(state, messages, services);
  FakeView view(kMain);

  for (int i = 0; i < 3; ++i) window.OnPaint(view);
  EXPECT_EQ(view.posted, std::vector<unsigned>{1025});

  view.child_result = [](pellam::ChildDialog) { return 0; };
  window.OnGateMessage(view);
  EXPECT_FALSE(view.ended);
  EXPECT_EQ(view.children, std::vector<pellam::ChildDialog>{pellam::ChildDialog::AdminId});

  for (const int result : {1, -1}) {
    FakeView again(kMain);
    again.child_result = [result](pellam::ChildDialog) { return result; };
    window.OnGateMessage(again);
    EXPECT_TRUE(again.ended);
    EXPECT_EQ(again.result, pellam::SelectionDialog::kResultCancel);
  }
}

TEST(MainWindowGate, VersionButtonAndSystemMenuOpenTheSameDialogAndEndCloses) {
  pellam::AppState state;
  FakeSurface surface;
  pellam::Messages messages(state, surface);
  ScriptedCard card;
  card.open_fails = true;  // no reader: the four card operations end at once
  pellam::StartupServices services{card, 0x0409, [] { return 0; }};
  pellam::SelectionDialog window(state, messages, services);
  FakeView view(kMain);
  window.OnCommand(view, 6008);
  window.OnSystemCommand(view, 16);
  window.OnSystemCommand(view, 0xF020);  // minimise: left to the system
  // With no reader, only Issue (which reads no card first) opens its dialog.
  card.open_fails = true;
  for (const int button : {6002, 6003, 6004, 6005, 6006}) window.OnCommand(view, button);
  EXPECT_EQ(view.children, (std::vector<pellam::ChildDialog>{pellam::ChildDialog::About, pellam::ChildDialog::About,
                                                             pellam::ChildDialog::Issue}));
  EXPECT_EQ(surface.shown.size(), 4u) << "the reader failure, once for each of the other four";
  EXPECT_FALSE(view.ended);
  window.OnCommand(view, 6007);
  EXPECT_TRUE(view.ended);
  EXPECT_EQ(view.result, pellam::SelectionDialog::kResultOk);
}

}  // namespace
