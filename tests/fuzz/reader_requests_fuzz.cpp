// What a host could send the simulated reader, with a blank card on it.
//
// Input: byte 0 picks the mode.
// - Bit 7 clear, raw bytes: byte 0 is where the rest, the byte stream, is
//   split into two writes; the stream is cut into frames and every frame
//   handled, as the reader's port would.
// - Bit 7 set, secured card commands: the card library's own link and
//   session open the reader and authenticate honestly, then the rest is a
//   run of card commands, each a length byte and that many bytes, sent
//   enciphered under the session key, so that the simulator's card command
//   handling sees what it deciphers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cardlib/frames.h"
#include "cardlib/reader_link.h"
#include "cardlib/reader_session.h"
#include "readersim/card.h"
#include "readersim/keys.h"
#include "readersim/simulated_reader.h"
#include "readersim/wire.h"
#include "readersim/world.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using testing_support::Bytes;

void HandleStream(readersim::World& world, readersim::SimulatedReader& reader, std::span<const std::uint8_t> stream,
                  std::size_t split) {
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
}

void SendSecuredCommands(readersim::SimulatedReader& reader, std::span<const std::uint8_t> commands) {
  testing_support::ScriptedPort port;
  port.responder = [&reader](const Bytes& frame) {
    readersim::FrameAssembler assembler;
    assembler.Feed(frame);
    std::string problem;
    const auto host = assembler.Next(problem);
    if (!host) return Bytes{};
    return reader.Handle(*host).value_or(Bytes{});
  };
  corvex::ReaderLink link(port);
  corvex::ReaderSession session(link);
  // An honest host must get through the opening and the authentication.
  if (link.Open("fuzz") != corvex::kLinkOk || session.Start() != corvex::kLinkOk) __builtin_trap();

  std::vector<std::uint8_t> frame(corvex::kFrameMax);
  std::vector<std::uint8_t> reply(corvex::kFrameMax);
  while (!commands.empty()) {
    const std::size_t length = commands[0] < commands.size() - 1 ? commands[0] : commands.size() - 1;
    const std::span<const std::uint8_t> command = commands.subspan(1, length);
    commands = commands.subspan(1 + length);
    std::size_t frame_length = 0;
    if (corvex::BuildFrame(corvex::kLeaderCard, command.data(), command.size(), frame.data(), frame.size(),
                           frame_length) != corvex::kFrameOk) {
      continue;
    }
    std::size_t reply_length = reply.size();
    session.Exchange(frame.data(), frame_length, reply.data(), reply_length);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  readersim::World world;
  world.keys = readersim::DefaultKeys();
  world.reader.session = world.keys.session;
  world.random.seed(1);
  const readersim::Block8 idm{0x01, 0x2E, 0x10, 0x20, 0x30, 0x40, 0x50, 0x01};
  world.deck.cards["card"] = readersim::Card::Blank(idm, world.keys);
  world.deck.on_reader = "card";
  readersim::SimulatedReader reader(world);
  reader.BeginHostSession();

  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  if ((data[0] & 0x80) != 0) {
    SendSecuredCommands(reader, rest);
  } else {
    HandleStream(world, reader, rest, data[0] < rest.size() ? data[0] : rest.size());
  }
  return 0;
}
