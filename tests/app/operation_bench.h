// A bench for the operation dialogs' logic: a working folder (user-ID list,
// log, registry stand-in) made the current directory, a language table whose
// texts name their ids ("T9010"), the message surface and views as fakes, a
// scripted card, and the pauses recorded instead of slept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/program_context.h"
#include "tests/app/app_test_files.h"
#include "tests/app/fake_view.h"
#include "tests/app/scripted_card.h"
#include "tests/support/environment.h"

namespace app_test {

inline constexpr pellam::WindowRef kMainWindow = 0x10;
inline constexpr pellam::WindowRef kDialogWindow = 0x20;

class OperationBench {
 public:
  // The operations work on the scripted card, or on `real` when given.
  explicit OperationBench(pellam::CardAccess* real = nullptr);
  ~OperationBench();

  // A list of `rows` lines ("user0".."userN") opened and loaded as at start-up.
  void OpenList(int rows);
  // An empty log file, which the log library needs to append.
  void MakeLog();
  // The registry stand-in with the program's key and "cardtype" = `card_use`,
  // or without the key.
  void MakeRegistry(std::uint32_t card_use, const std::string& more_keys = "");
  void MakeRegistryWithoutKey();
  // The card use stored in the stand-in, or -1.
  std::int64_t StoredCardUse() const;
  std::vector<std::string> LogLines() const;

  // The messages shown, as "T<id>/<caption>" ("Question", "Error", "Info").
  std::vector<std::string> Shown() const;

  ProgramFolder folder;
  pellam::AppState state;
  FakeSurface surface;
  pellam::Messages messages{state, surface};
  ScriptedCard card;
  std::vector<std::uint32_t> pauses;
  pellam::ProgramContext context;

 private:
  testing_support::ScopedEnvironment registry_;
};

}  // namespace app_test
