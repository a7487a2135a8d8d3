// The keys the simulated reader and its cards start with. The values live in
// keys.cpp, one readable table, so that a site can put its own keys there.
#pragma once

#include <array>
#include <cstdint>

namespace readersim {

using Block8 = std::array<std::uint8_t, 8>;

inline constexpr int kCardKeySlots = 11;  // slot 0 is key B of every service, 1..10 key A

struct KeyConfig {
  std::array<Block8, 3> session;           // S1, S2, S3: written into a blank reader by the host
  std::array<Block8, 3> provisioning;      // P1, P2, P3: held by a blank reader from the factory
  std::array<Block8, kCardKeySlots> card;  // the keys a new card carries, by key slot
};

// The development keys (the card library's defaults).
const KeyConfig& DefaultKeys();

}  // namespace readersim
