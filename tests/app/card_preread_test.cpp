// The main window's pre-reads of the update, PIN change, PIN unlock and
// initialise buttons against a scripted card: every question, the reads and
// their order, the card recorded for the dialog, and the reader closed
// before any dialog runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>

#include "app/core/card_preread.h"
#include "app/core/selection_dialog.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::OperationBench;
using app_test::ScriptedCard;
using pellam::CardKind;
using pellam::ChildDialog;

struct Scenario {
  const char* name;
  int button;
  std::function<void(OperationBench&)> setup;  // the card on the reader, failures, answers
  std::vector<std::string> shown;
  std::vector<ChildDialog> dialogs;
  std::vector<std::string> reads;
  CardKind kind_after = CardKind::NoCard;
};

void OwnUser(OperationBench& bench) { bench.PlaceUserCard(); }
void CodeCard(OperationBench& bench) { bench.PlaceCodeCard(); }
void Nothing(OperationBench& bench) { bench.card.card_type = ScriptedCard::kNoCard; }
void Blank(OperationBench& bench) { bench.card.PlaceBlank(3); }
void Admin(OperationBench& bench) {
  bench.card.PlaceBlank(1);
  bench.card.card_type = 16;
}
void OtherAdmins(OperationBench& bench) { bench.card.PlaceUser(9, "bob", "ADMIN02"); }
void NoReader(OperationBench& bench) { bench.card.failing = {"open"}; }

using Setup = std::function<void(OperationBench&)>;

// While the first question is up, the operator lays `place` on the reader.
Setup ThenPlace(Setup first, Setup place) {
  return [first, place](OperationBench& bench) {
    first(bench);
    bench.surface.on_message = [&bench, place] {
      place(bench);
      bench.surface.on_message = nullptr;
    };
  };
}

// The operator answers the questions with `answers`.
Setup Answering(Setup setup, std::deque<bool> answers) {
  return [setup, answers](OperationBench& bench) {
    setup(bench);
    bench.surface.answers = answers;
  };
}

// `call` fails; with `once`, only until the first question.
Setup Failing(Setup setup, const char* call, bool once = false) {
  return [setup, call, once](OperationBench& bench) {
    setup(bench);
    bench.card.failing = {call};
    if (once) bench.surface.on_message = [&bench] { bench.card.failing.clear(); };
  };
}

const std::vector<std::string> kUserReads = {"read-user-admin-id", "read-user-account", "read-user-name",
                                             "read-issue-info",    "read-comment",      "read-user-code"};

TEST(CardPreread, EveryPathOfTheFourButtons) {
  const ChildDialog update = ChildDialog::Update;
  // The reads up to the failing comment, then all of them.
  std::vector<std::string> user_reads_twice(kUserReads.begin(), kUserReads.end() - 1);
  user_reads_twice.insert(user_reads_twice.end(), kUserReads.begin(), kUserReads.end());
  std::vector<std::string> other_then_own = kUserReads;
  other_then_own.insert(other_then_own.begin(), "read-user-admin-id");
  // clang-format off
  const Scenario scenarios[] = {
      {"update, own user card", 6003, OwnUser, {}, {update}, kUserReads, CardKind::UserCard},
      {"update, user-code card: no owner check", 6003, CodeCard, {}, {update},
       {"read-user-name", "read-comment", "read-issue-info", "read-user-code"}, CardKind::CodeCard},
      {"update, another administrator's card, then the own", 6003, ThenPlace(OtherAdmins, OwnUser),
       {"T7006/Question"}, {update}, other_then_own, CardKind::UserCard},
      {"update, administrator card, given up", 6003, Answering(Admin, {false}), {"T9020/Question"}, {}, {}},
      {"update, blank card, then nothing, given up", 6003, Answering(ThenPlace(Blank, Nothing), {true, false}),
       {"T9020/Question", "T9010/Question"}, {}, {}},
      {"update, a read fails once: sensed and read anew", 6003, Failing(OwnUser, "read-comment", true),
       {"T9007/Question"}, {update}, user_reads_twice, CardKind::UserCard},
      {"update, no reader", 6003, NoReader, {"T9001/Error"}, {}, {}},
      {"PIN change, own user card", 6004, OwnUser, {}, {ChildDialog::PinChange},
       {"read-user-admin-id", "read-pin-settings"}},
      {"PIN change, user-code card, given up", 6004, Answering(CodeCard, {false}), {"T9012/Question"}, {}, {}},
      {"PIN change, administrator ID unreadable, given up", 6004,
       Answering(Failing(OwnUser, "read-user-admin-id"), {false}), {"T9007/Question"}, {}, {"read-user-admin-id"}},
      {"PIN unlock, own user card: nothing read", 6005, OwnUser, {}, {ChildDialog::Confirm}, {"read-user-admin-id"}},
      {"PIN unlock, identifier unreadable, given up", 6005, Answering(Failing(OwnUser, "card-info"), {false}),
       {"T9007/Question"}, {}, {"read-user-admin-id"}},
      {"initialise, blank card: no dialog", 6006, Blank, {"T9016/Question"}, {}, {}},
      {"initialise, user-code card", 6006, CodeCard, {}, {ChildDialog::Initialize}, {}, CardKind::CodeCard},
      {"initialise, another administrator's card, then the own", 6006, ThenPlace(OtherAdmins, OwnUser),
       {"T7006/Question"}, {ChildDialog::Initialize}, {"read-user-admin-id", "read-user-admin-id"},
       CardKind::UserCard},
      {"initialise, administrator card, given up", 6006, Answering(Admin, {false}), {"T9020/Question"}, {}, {}},
  };
  // clang-format on
  std::size_t secrets_handed_over = 0;  // the update's password, the PIN change's PIN
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    OperationBench bench;
    scenario.setup(bench);
    const auto declined = std::count(bench.surface.answers.begin(), bench.surface.answers.end(), false);
    app_test::FakeView main(app_test::kMainWindow);
    pellam::StartupServices services{bench.card, 0x0409, [] { return 0; },
                                     [&bench](std::uint32_t ms) { bench.pauses.push_back(ms); }};
    pellam::SelectionDialog window(bench.state, bench.messages, services);
    bool reader_closed_for_dialog = true;
    const pellam::SharedRecords& records = bench.state.records;
    const auto secret_bytes = [&records] {
      std::size_t count = 0;
      for (const auto& bytes : {records.card.password.bytes, records.entry.password.bytes}) {
        count += static_cast<std::size_t>(std::count_if(bytes.begin(), bytes.end(), [](char c) { return c != 0; }));
      }
      for (const auto& bytes : {records.card.pin.bytes, records.entry.pin.bytes}) {
        count += static_cast<std::size_t>(std::count_if(bytes.begin(), bytes.end(), [](char c) { return c != 0; }));
      }
      return count;
    };
    main.child_result = [&](ChildDialog) {
      reader_closed_for_dialog = !bench.card.open;
      secrets_handed_over += secret_bytes();
      return 1;
    };
    window.OnCommand(main, scenario.button);
    EXPECT_EQ(secret_bytes(), 0u) << "no password or PIN outlives the operation";

    EXPECT_EQ(bench.Shown(), scenario.shown);
    EXPECT_EQ(main.children, scenario.dialogs);
    EXPECT_EQ(bench.card.CardWork(), scenario.reads);
    EXPECT_FALSE(bench.card.open) << "the reader is closed on every path";
    EXPECT_TRUE(reader_closed_for_dialog);
    EXPECT_EQ(bench.surface.cursor, pellam::CursorShape::Arrow);
    const auto questions = std::count_if(bench.surface.shown.begin(), bench.surface.shown.end(), [](const auto& m) {
      return m.kind == pellam::MessageBoxKind::WarningQuestion;
    });
    EXPECT_EQ(bench.pauses, std::vector<std::uint32_t>(static_cast<std::size_t>(questions - declined), 100u))
        << "100 ms after each OK";
    if (!scenario.dialogs.empty()) {
      EXPECT_TRUE(records.read_card_known);
      EXPECT_EQ(records.read_card_id, bench.card.card_id) << "the card read is the one recorded";
    }
    if (scenario.kind_after != CardKind::NoCard) {
      EXPECT_EQ(records.current_card_kind, scenario.kind_after);
    }
  }
  EXPECT_GT(secrets_handed_over, 0u) << "the dialogs had them";
}

TEST(CardPreread, UserCodeBecomesSignedDecimalText) {
  struct Case {
    std::array<char, 4> stored;
    const char* text;
    std::int32_t length;
  };
  const Case cases[] = {
      {{0x00, 0x00, 0x30, 0x39}, "12345", 5},
      {{'\xFF', '\xFF', '\xFF', '\xFF'}, "-1", 2},
      {{'\x80', 0x00, 0x00, 0x00}, "-2147483648", 11},
      {{0x05, '\xF5', '\xE0', '\xFE'}, "99999998", 8},
      {{0x00, 0x00, 0x00, 0x00}, "", 4},  // stays as the read left it
  };
  for (const Case& c : cases) {
    pellam::TextField<16> code;
    code.bytes.fill('\0');
    std::copy(c.stored.begin(), c.stored.end(), code.bytes.begin());
    code.length = 4;
    pellam::UserCodeToText(code);
    EXPECT_EQ(std::string(code.bytes.data()), c.text);
    EXPECT_EQ(code.length, c.length);
    EXPECT_EQ(code.bytes[15], '\0');
  }
}

}  // namespace
