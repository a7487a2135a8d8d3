#include "readersim/control.h"

#include <cctype>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "readersim/state_file.h"
#include "readersim/wire.h"

namespace readersim {

namespace {

using nlohmann::json;

ControlResult Fail(const std::string& why) { return {false, why, false}; }
ControlResult Ok(const std::string& output = "ok") { return {true, output, false}; }

bool ParseCount(const std::string& text, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < 0 || parsed > 1000000) return false;
  value = static_cast<int>(parsed);
  return true;
}

// Eight bytes written as 16 hex digits.
bool ParseKey(const std::string& text, Block8& key) {
  if (text.size() != 16) return false;
  for (const char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  for (std::size_t i = 0; i < 8; ++i) {
    key[i] = static_cast<std::uint8_t>(std::strtol(text.substr(2 * i, 2).c_str(), nullptr, 16));
  }
  return true;
}

// A fresh identifier: a manufacturer-like prefix and six random bytes.
Block8 NewIdentifier(World& world) {
  Block8 idm = world.RandomBlock();
  idm[0] = 0x01;
  idm[1] = 0x2E;
  return idm;
}

ControlResult Create(const std::vector<std::string>& args, World& world) {
  if (args.size() < 3) return Fail("usage: create NAME blank|admin ADMIN_ID|user USER_ID [PASSWORD]|json CARD_JSON");
  const std::string& name = args[1];
  const std::string& kind = args[2];
  Card card = Card::Blank(NewIdentifier(world), world.keys);
  if (kind == "blank" && args.size() == 3) {
  } else if (kind == "admin" && args.size() == 4) {
    SetTextField(card, "admin_id", args[3]);
  } else if (kind == "user" && (args.size() == 4 || args.size() == 5)) {
    SetTextField(card, "user_id", args[3]);
    if (args.size() == 5) SetTextField(card, "password", args[4]);
  } else if (kind == "json" && args.size() == 4) {
    try {
      card = CardFromJson(json::parse(args[3]));
    } catch (const std::exception& e) {
      return Fail(std::string("bad card dump: ") + e.what());
    }
  } else {
    return Fail("unknown card kind or wrong arguments: " + kind);
  }
  world.deck.cards[name] = card;
  world.dirty = true;
  return Ok(Hex(card.idm));
}

ControlResult Fault(const std::vector<std::string>& args, World& world) {
  Faults& f = world.faults;
  const std::string kind = args.size() > 1 ? args[1] : "";
  int a = 0;
  int b = 0;
  if (kind == "status80" && args.size() == 3 && ParseCount(args[2], a)) {
    f.status80_frames = a;
  } else if (kind == "split" && args.size() == 4 && ParseCount(args[2], a) && ParseCount(args[3], b) && a >= 1) {
    f.split_pieces = a;
    f.split_pause_ms = b;
  } else if (kind == "delay" && args.size() == 3 && ParseCount(args[2], a)) {
    f.delay_ms = a;
  } else if (kind == "noreply" && args.size() == 2) {
    f.no_reply = true;
  } else if (kind == "badseq" && args.size() == 2) {
    f.bad_sequence = true;
  } else if (kind == "remove-after-writes" && args.size() == 3 && ParseCount(args[2], a)) {
    f.remove_after_writes = a;
  } else if (kind == "sequence" && args.size() == 3 && ParseCount(args[2], a) && a <= 0xFFFF) {
    f.next_sequence = a;
  } else if (kind == "writefail" && args.size() == 2) {
    f.write_fails = true;
  } else if (kind == "clear" && args.size() == 2) {
    f = Faults{};
  } else if (kind == "vanish" && args.size() == 2) {
    return {true, "ok", true};
  } else {
    return Fail(
        "usage: fault status80 N|split PIECES PAUSE_MS|delay MS|noreply|badseq|remove-after-writes N|"
        "writefail|sequence N|vanish|clear");
  }
  return Ok();
}

json StatsToJson(const Stats& stats) {
  return {{"frames", stats.frames},        {"commands", stats.commands},
          {"bytes_in", stats.bytes_in},    {"bytes_out", stats.bytes_out},
          {"sessions", stats.sessions},    {"authentication_failures", stats.authentication_failures},
          {"violations", stats.violations}};
}

}  // namespace

const char* ControlUsage() {
  return "commands:\n"
         "  ping\n"
         "  create NAME blank | admin ADMIN_ID | user USER_ID [PASSWORD] | json CARD_JSON\n"
         "  delete NAME\n"
         "  place NAME | remove\n"
         "  list\n"
         "  dump NAME [raw]\n"
         "  stats [reset]\n"
         "  reader blank | provisioned | keys S1 S2 S3\n"
         "  fault status80 N | split PIECES PAUSE_MS | delay MS | noreply | badseq |\n"
         "        remove-after-writes N | writefail | sequence N | vanish | clear\n";
}

ControlResult RunControl(const std::vector<std::string>& args, World& world) {
  if (args.empty()) return Fail(ControlUsage());
  const std::string& command = args[0];
  if (command == "ping") return Ok("pong");
  if (command == "help") return Ok(ControlUsage());
  if (command == "create") return Create(args, world);
  if (command == "fault") return Fault(args, world);
  if (command == "delete" && args.size() == 2) {
    if (world.deck.cards.erase(args[1]) == 0) return Fail("no card named " + args[1]);
    if (world.deck.on_reader == args[1]) world.deck.on_reader.reset();
    world.dirty = true;
    return Ok();
  }
  if (command == "place" && args.size() == 2) {
    if (!world.deck.cards.count(args[1])) return Fail("no card named " + args[1]);
    world.deck.on_reader = args[1];
    world.dirty = true;
    return Ok();
  }
  if (command == "remove" && args.size() == 1) {
    world.deck.on_reader.reset();
    world.dirty = true;
    return Ok();
  }
  if (command == "list" && args.size() == 1) {
    json cards = json::object();
    for (const auto& [name, card] : world.deck.cards) cards[name] = Hex(card.idm);
    return Ok(
        json{{"cards", cards}, {"on_reader", world.deck.on_reader ? json(*world.deck.on_reader) : json()}}.dump(2));
  }
  if (command == "dump" && (args.size() == 2 || (args.size() == 3 && args[2] == "raw"))) {
    const auto found = world.deck.cards.find(args[1]);
    if (found == world.deck.cards.end()) return Fail("no card named " + args[1]);
    return Ok((args.size() == 3 ? CardToJson(found->second) : DecodeCard(found->second)).dump(2));
  }
  if (command == "stats" && args.size() == 1) return Ok(StatsToJson(world.stats).dump(2));
  if (command == "stats" && args.size() == 2 && args[1] == "reset") {
    world.stats = Stats{};
    return Ok();
  }
  if (command == "reader" && args.size() == 2 && (args[1] == "blank" || args[1] == "provisioned")) {
    world.reader = ReaderKeyState{};
    world.reader.provisioned = args[1] == "provisioned";
    if (world.reader.provisioned) world.reader.session = world.keys.session;
    world.dirty = true;
    return Ok();
  }
  if (command == "reader" && args.size() == 5 && args[1] == "keys") {
    // Tests: a provisioned reader holding other session keys than the host's.
    std::array<Block8, 3> keys{};
    for (int k = 0; k < 3; ++k) {
      if (!ParseKey(args[2 + k], keys[k])) return Fail("a key is 16 hex digits: " + args[2 + k]);
    }
    world.reader = ReaderKeyState{};
    world.reader.provisioned = true;
    world.reader.session = keys;
    world.dirty = true;
    return Ok();
  }
  return Fail(std::string("unknown command or wrong arguments: ") + command + "\n" + ControlUsage());
}

}  // namespace readersim
