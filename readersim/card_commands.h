// Card commands as the reader relays them to the card on its field:
// Polling (one or several system codes), Request response, Select keys,
// Authenticate, Authenticate and read, Write. Each takes the clear command
// payload and gives the clear response payload (response code first);
// response code 0xEF means that no card answered.
#pragma once

#include <vector>

#include "readersim/wire.h"
#include "readersim/world.h"

namespace readersim {

inline constexpr std::uint8_t kNoCardAnswer = 0xEF;
inline constexpr std::uint8_t kRefused = 0x7F;  // the reader refuses a malformed or unordered command

// What the reader remembers between card commands of one session.
struct CardSession {
  std::optional<std::uint8_t> key_a;
  std::optional<std::uint8_t> key_b;
  std::vector<int> authenticated;  // services of the last successful authentication
  Block8 authenticated_idm{};
};

Bytes RunCardCommand(std::span<const std::uint8_t> command, World& world, CardSession& session);

}  // namespace readersim
