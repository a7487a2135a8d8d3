#include "readersim/world.h"

namespace readersim {

Card* Deck::Present() {
  if (!on_reader) return nullptr;
  auto found = cards.find(*on_reader);
  return found == cards.end() ? nullptr : &found->second;
}

Block8 World::RandomBlock() {
  Block8 block{};
  for (auto& b : block) b = static_cast<std::uint8_t>(random());
  return block;
}

}  // namespace readersim
