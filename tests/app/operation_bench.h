// What the operation dialogs' tests share: the program's state with a
// language table whose texts name their ids ("T9010"), a program folder made
// the current directory with an empty log, the registry stand-in in it, a
// scripted card (or the real card library), pauses recorded instead of
// slept, and the main window's pre-read run for real before a dialog opens.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/core/dialog_view.h"
#include "app/core/program_context.h"
#include "tests/app/app_test_files.h"
#include "tests/app/fake_view.h"
#include "tests/app/scripted_card.h"
#include "tests/support/environment.h"

namespace app_test {

inline constexpr pellam::WindowRef kMainWindow = 0x10;
inline constexpr pellam::WindowRef kDialogWindow = 0x20;

using PreRead = void (*)(pellam::ProgramContext&, pellam::DialogView&);

// A refused OK: the message it shows, then what the operator types next.
struct Refusal {
  std::string shown;
  std::map<int, std::string> then_typed;
};

// One OK's case: the card (the user card, or the user-code card), the texts
// typed over the pre-read ones, the card call that fails ("close" too; ""
// none), the outcome ExpectOutcome checks, the answers to its questions, and
// the refused OKs before it.
struct OutcomeRow {
  const char* name;
  bool code_card;
  std::map<int, std::string> typed;
  std::string failing;
  std::vector<std::string> work;
  std::vector<std::string> shown;
  std::string log;
  int result;
  std::deque<bool> answers = {};
  std::vector<Refusal> refusals = {};
};

class OperationBench {
 public:
  static constexpr std::uint8_t kCardId = 1;

  // The operations work on the scripted card, or on `real` when given.
  explicit OperationBench(pellam::CardAccess* real = nullptr);
  ~OperationBench();

  // "alice", password "secret", PIN "1234" with lock-out count 5, user code
  // 12345, name "Alice", comment "hi", issued 3 times on 2005/4/1.
  void PlaceUserCard();
  // User code 12345, name "Coder", comment "hi", issued 3 times on 2005/4/1.
  void PlaceCodeCard();
  // The list file with `lines`, or with `rows` lines "user0,2024,5,17,1"...,
  // opened and loaded as at start-up.
  void OpenList(const std::string& lines);
  void OpenList(int rows);
  // The registry with the program's key and "cardtype" = `card_use`, or
  // without the key: the stand-in file, or on Windows the test prefix's
  // registry.
  void MakeRegistry(std::uint32_t card_use);
  void MakeRegistryWithoutKey();
  // The value as `bytes` of registry type `type` (4 a DWORD, 11 a QWORD, 3 binary).
  void MakeRegistryValue(std::uint32_t type, const std::string& bytes);
  // The user-ID list file as it stands; the list is closed first, as the
  // program closes it at exit, since it is open without sharing.
  std::string ClosedList();
  // The card use stored in the registry, or -1.
  std::int64_t StoredCardUse() const;

  // Runs the pre-read and the dialog's initialisation; from there on only
  // the dialog's own card calls, messages and pauses are recorded.
  void Open(PreRead pre_read, pellam::DialogLogic& dialog);
  void PressOk(pellam::DialogLogic& dialog) { dialog.OnCommand(view, ok_button, pellam::kNotifyClicked); }
  void Type(const std::map<int, std::string>& texts);
  // Presses OK once per refusal: its message alone, the dialog open with the
  // focus back, the card untouched.
  void ExpectRefusals(pellam::DialogLogic& dialog, const std::vector<Refusal>& refusals);

  // One OK's outcome: the card work done, the messages shown, the last log
  // line, the dialog's result, and the reader closed.
  void ExpectOutcome(const std::vector<std::string>& work, const std::vector<std::string>& shown,
                     const std::string& log, int result) const;

  std::vector<std::string> Shown() const { return surface.Texts(); }
  // The last log line without its time: "subject,administrator,operation";
  // empty when nothing was logged.
  std::string LastLog() const;

  ProgramFolder folder;
  pellam::AppState state;
  FakeSurface surface;
  pellam::Messages messages{state, surface};
  ScriptedCard card;
  std::vector<std::uint32_t> pauses;
  pellam::ProgramContext context;
  FakeView main{kMainWindow};
  FakeView view{kDialogWindow};
  int ok_button = pellam::kDialogOk;  // the dialog's OK button

 private:
  testing_support::ScopedEnvironment registry_;
};

inline constexpr auto kNoStep = [](auto&&...) {};

// Runs each row (an OutcomeRow, or a struct extending one) on a fresh bench:
// its card placed, `Dialog` opened after `pre_read`, `opened(bench, dialog,
// row)`, the row's texts typed, its call failing and its answers given, the
// refusals checked, OK pressed and the outcome checked; then
// `after(bench, row)` checks the rest.
template <typename Dialog, typename Rows, typename Opened = decltype(kNoStep), typename After = decltype(kNoStep)>
void RunOutcomes(PreRead pre_read, const Rows& rows, Opened opened = kNoStep, After after = kNoStep) {
  for (const auto& row : rows) {
    const OutcomeRow& outcome = row;
    SCOPED_TRACE(outcome.name);
    OperationBench bench;
    outcome.code_card ? bench.PlaceCodeCard() : bench.PlaceUserCard();
    Dialog dialog(bench.context);
    bench.Open(pre_read, dialog);
    opened(bench, dialog, row);
    bench.Type(outcome.typed);
    bench.card.failing = {outcome.failing};
    bench.surface.answers = outcome.answers;
    bench.ExpectRefusals(dialog, outcome.refusals);
    bench.PressOk(dialog);
    bench.ExpectOutcome(outcome.work, outcome.shown, outcome.log, outcome.result);
    after(bench, row);
  }
}

}  // namespace app_test
