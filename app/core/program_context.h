// What every card operation of the program works with: the run's state, the
// message helpers, the card library, and the pause between card-wait tries.
#pragma once

#include <cstdint>
#include <functional>

#include "app/core/app_state.h"
#include "app/core/card_access.h"
#include "app/core/message_helpers.h"

namespace pellam {

// The pause after each OK answer of a card-wait question.
inline constexpr std::uint32_t kRetryPauseMilliseconds = 100;

struct ProgramContext {
  AppState& state;
  Messages& messages;
  CardAccess& card;
  // Blocks for the given milliseconds (the platform's sleep in the program).
  std::function<void(std::uint32_t)> pause;

  SharedRecords& records() { return state.records; }
};

}  // namespace pellam
