// What a host could send the simulated reader: the byte stream, split where
// the input says, cut into frames and every frame handled, with a blank card
// on the reader.
//
// Input: byte 0 is where the stream is split into two writes; the rest is
// the stream.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "readersim/card.h"
#include "readersim/keys.h"
#include "readersim/simulated_reader.h"
#include "readersim/wire.h"
#include "readersim/world.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  readersim::World world;
  world.keys = readersim::DefaultKeys();
  world.reader.session = world.keys.session;
  const readersim::Block8 idm{0x01, 0x2E, 0x10, 0x20, 0x30, 0x40, 0x50, 0x01};
  world.deck.cards["card"] = readersim::Card::Blank(idm, world.keys);
  world.deck.on_reader = "card";
  readersim::SimulatedReader reader(world);
  reader.BeginHostSession();

  const std::span<const std::uint8_t> stream(data + 1, size - 1);
  const std::size_t split = data[0] < stream.size() ? data[0] : stream.size();
  readersim::FrameAssembler assembler;
  for (const std::span<const std::uint8_t> write : {stream.first(split), stream.subspan(split)}) {
    assembler.Feed(write);
    std::string problem;
    while (const auto frame = assembler.Next(problem)) {
      if (!problem.empty()) world.Violation(problem);
      problem.clear();
      reader.Handle(*frame);
    }
  }
  return 0;
}
