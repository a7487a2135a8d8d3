#include "readersim/card_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace readersim {

namespace {

// Status values the simulated card gives for failures (result or status
// flags); the host only tells zero from non-zero.
constexpr std::uint8_t kFailDetail = 0x01;
constexpr std::uint8_t kBadKey = 0xA6;
constexpr std::uint8_t kBadService = 0xA3;
constexpr std::uint8_t kBadBlock = 0xA8;
constexpr std::uint8_t kNotAuthenticated = 0xA5;
constexpr std::uint8_t kWriteFailure = 0x71;

std::string Text(const char* format, unsigned a = 0, unsigned b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// Reads the command bytes in order; any read past the end marks it malformed.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t Byte() {
    if (at_ >= bytes_.size()) {
      bad_ = true;
      return 0;
    }
    return bytes_[at_++];
  }
  std::uint16_t LittleEndian16() {
    const std::uint8_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }
  Block8 Id() {
    Block8 id{};
    if (bytes_.size() - at_ < id.size()) {
      bad_ = true;
      at_ = bytes_.size();
      return id;
    }
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), id.size(), id.begin());
    at_ += id.size();
    return id;
  }
  bool ok() const { return !bad_; }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool bad_ = false;
};

Bytes Refuse(World& world, const std::string& why) {
  world.Violation(why);
  return {kRefused};
}

Bytes NoCard() { return {kNoCardAnswer}; }

bool MatchesSystemCode(const Card& card, std::uint8_t high, std::uint8_t low) {
  return (high == 0xFF || high == card.system_code[0]) && (low == 0xFF || low == card.system_code[1]);
}

void Append(Bytes& out, std::span<const std::uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// The area and service lists of an authentication command.
struct AccessList {
  std::vector<std::uint16_t> areas;
  std::vector<std::uint16_t> services;
};

bool ReadAccessList(Reader& in, AccessList& list) {
  const int areas = in.Byte();
  if (areas < 1 || areas > 16) return false;
  for (int i = 0; i < areas; ++i) list.areas.push_back(in.LittleEndian16());
  const int services = in.Byte();
  if (services < 1 || services > 16) return false;
  for (int i = 0; i < services; ++i) list.services.push_back(in.LittleEndian16());
  return in.ok();
}

// Checks the selected reader keys against the card for every listed service
// and records the outcome in the session. Returns 0 on success, else the
// failing result byte.
std::uint8_t Authenticate(World& world, CardSession& session, const Card& card, const AccessList& list) {
  session.authenticated.clear();
  std::vector<int> services;
  if (!session.key_a || !session.key_b) {
    world.Violation("card authentication without Select keys");
    return kNotAuthenticated;
  }
  for (std::uint16_t area : list.areas) {
    if (std::find(kAreaCodes.begin(), kAreaCodes.end(), area) == kAreaCodes.end()) return kBadService;
  }
  const auto& slot_a = world.reader.slots[*session.key_a & 0x0F];
  const auto& slot_b = world.reader.slots[*session.key_b & 0x0F];
  for (std::uint16_t code : list.services) {
    const std::optional<int> service = ServiceForCode(code);
    if (!service) return kBadService;
    if (!slot_a || !slot_b || *slot_a != card.keys[kServices[*service].key_slot] || *slot_b != card.keys[0]) {
      return kBadKey;
    }
    services.push_back(*service);
  }
  session.authenticated = services;
  session.authenticated_idm = card.idm;
  return 0;
}

// Reads a block list of `count` elements for the first service of the list.
bool ReadBlockList(World& world, Reader& in, int count, std::vector<int>& blocks) {
  for (int i = 0; i < count; ++i) {
    const std::uint8_t element = in.Byte();
    const std::uint8_t block = in.Byte();
    if (element != 0x80) {
      world.Violation(Text("block-list element %02X is not a two-byte element of the first service", element));
      return false;
    }
    blocks.push_back(block);
  }
  return in.ok();
}

Bytes Polling(std::span<const std::uint8_t> command, World& world) {
  if (command.size() != 5) return Refuse(world, Text("Polling of %u bytes", static_cast<unsigned>(command.size())));
  Card* card = world.deck.Present();
  if (card == nullptr || !MatchesSystemCode(*card, command[1], command[2])) return NoCard();
  Bytes reply{0x01};
  Append(reply, card->idm);
  Append(reply, card->pmm);
  if (command[3] == 0x01) Append(reply, card->system_code);
  return reply;
}

Bytes PollingSeveral(std::span<const std::uint8_t> command, World& world) {
  if (command.size() < 2 || command[1] < 0x80 || command[1] > 0x90) {
    return Refuse(world, "Polling of several system codes with a bad count byte");
  }
  const std::size_t count = command[1] - 0x80u;
  if (command.size() != 2 + 2 * count + 2) return Refuse(world, "Polling of several system codes with a bad length");
  Card* card = world.deck.Present();
  if (card == nullptr) return NoCard();
  for (std::size_t i = 0; i < count; ++i) {
    if (MatchesSystemCode(*card, command[2 + 2 * i], command[3 + 2 * i])) {
      Bytes reply{0x61, static_cast<std::uint8_t>(count), 0x00, 0x00};
      Append(reply, card->idm);
      Append(reply, card->pmm);
      return reply;
    }
  }
  return NoCard();
}

Bytes RequestResponse(std::span<const std::uint8_t> command, World& world) {
  Reader in(command.subspan(1));
  const Block8 idm = in.Id();
  if (!in.ok() || !in.AtEnd()) return Refuse(world, "Request response with a bad length");
  Card* card = world.deck.Present();
  if (card == nullptr || card->idm != idm) return NoCard();
  Bytes reply{0x05};
  Append(reply, card->idm);
  reply.push_back(0x00);  // mode
  return reply;
}

Bytes SelectKeys(std::span<const std::uint8_t> command, World& world, CardSession& session) {
  session = CardSession{};
  if (command.size() != 3) return Refuse(world, "Select keys with a bad length");
  for (int i = 1; i <= 2; ++i) {
    const std::uint8_t slot = command[i];
    const bool valid = slot <= 0x0F || (slot >= 0x80 && slot <= 0x8F);
    if (!valid) return Refuse(world, Text("Select keys names slot %u", slot));
    if (!world.reader.slots[slot & 0x0F])
      return Refuse(world, Text("Select keys names unregistered slot %u", slot & 0x0F));
  }
  session.key_a = command[1];
  session.key_b = command[2];
  return {0x43};
}

Bytes AuthenticateCommand(std::span<const std::uint8_t> command, World& world, CardSession& session) {
  Reader in(command.subspan(1));
  const std::uint8_t method = in.Byte();
  const Block8 idm = in.Id();
  AccessList list;
  if (method != 0x81 || !ReadAccessList(in, list) || !in.AtEnd()) return Refuse(world, "malformed Authenticate");
  Card* card = world.deck.Present();
  if (card == nullptr || card->idm != idm) return NoCard();
  const std::uint8_t result = Authenticate(world, session, *card, list);
  return {0x53, 0x00, static_cast<std::uint8_t>(result == 0 ? 0x00 : kFailDetail), result};
}

Bytes AuthenticateAndRead(std::span<const std::uint8_t> command, World& world, CardSession& session) {
  Reader in(command.subspan(1));
  const std::uint8_t method = in.Byte();
  const Block8 idm = in.Id();
  AccessList list;
  if (method != 0x81 || !ReadAccessList(in, list)) return Refuse(world, "malformed Authenticate and read");
  const int count = in.Byte();
  if (count < 1 || count > 12) return Refuse(world, Text("Authenticate and read of %u blocks", count));
  std::vector<int> blocks;
  if (!ReadBlockList(world, in, count, blocks) || !in.AtEnd()) return Refuse(world, "malformed Authenticate and read");
  Card* card = world.deck.Present();
  if (card == nullptr || card->idm != idm) return NoCard();
  const std::uint8_t result = Authenticate(world, session, *card, list);
  if (result != 0) return {0x57, 0x00, kFailDetail, result};
  const std::vector<Block16>& store = card->blocks[kServices[session.authenticated.front()].pair];
  for (int block : blocks) {
    if (block >= static_cast<int>(store.size())) {
      world.Violation(
          Text("read of block %u beyond the service's %u blocks", block, static_cast<unsigned>(store.size())));
      return {0x57, 0x00, kFailDetail, kBadBlock};
    }
  }
  Bytes reply{0x57, 0x00, 0x00, 0x00};
  reply.resize(30, 0x00);  // bytes 4..29 carry nothing the host reads
  reply.push_back(static_cast<std::uint8_t>(count));
  for (int block : blocks) Append(reply, store[block]);
  return reply;
}

Bytes Write(std::span<const std::uint8_t> command, World& world, CardSession& session) {
  Reader in(command.subspan(1));
  const Block8 idm = in.Id();
  const int count = in.Byte();
  if (count < 1 || count > 8) return Refuse(world, Text("Write of %u blocks", count));
  std::vector<int> blocks;
  if (!ReadBlockList(world, in, count, blocks)) return Refuse(world, "malformed Write");
  std::vector<Block16> data(count);
  for (Block16& block : data) {
    for (auto& b : block) b = in.Byte();
  }
  if (!in.ok() || !in.AtEnd()) return Refuse(world, "Write with a bad length");

  if (world.faults.remove_after_writes == 0) {
    world.faults.remove_after_writes = -1;
    world.deck.on_reader.reset();
    world.dirty = true;
  }
  Card* card = world.deck.Present();
  if (card == nullptr || card->idm != idm) return NoCard();

  Bytes reply{0x17};
  Append(reply, card->idm);
  if (session.authenticated.empty() || session.authenticated_idm != idm) {
    world.Violation("Write without Authenticate");
    reply.insert(reply.end(), {kFailDetail, kNotAuthenticated});
    return reply;
  }
  const ServiceRow& service = kServices[session.authenticated.front()];
  if (!service.writable) {
    world.Violation(Text("Write to read-only service %04X", service.code));
    reply.insert(reply.end(), {kFailDetail, kBadBlock});
    return reply;
  }
  std::vector<Block16>& store = card->blocks[service.pair];
  for (int block : blocks) {
    if (block >= static_cast<int>(store.size())) {
      world.Violation(
          Text("write of block %u beyond the service's %u blocks", block, static_cast<unsigned>(store.size())));
      reply.insert(reply.end(), {kFailDetail, kBadBlock});
      return reply;
    }
  }
  if (world.faults.write_fails) {
    world.faults.write_fails = false;
    reply.insert(reply.end(), {kFailDetail, kWriteFailure});
    return reply;
  }
  for (int i = 0; i < count; ++i) store[blocks[i]] = data[i];
  world.dirty = true;
  if (world.faults.remove_after_writes > 0 && --world.faults.remove_after_writes == 0) {
    world.faults.remove_after_writes = -1;
    world.deck.on_reader.reset();
  }
  reply.insert(reply.end(), {0x00, 0x00});
  return reply;
}

}  // namespace

Bytes RunCardCommand(std::span<const std::uint8_t> command, World& world, CardSession& session) {
  if (command.empty()) return Refuse(world, "empty card command");
  switch (command[0]) {
    case 0x00: return Polling(command, world);
    case 0x60: return PollingSeveral(command, world);
    case 0x04: return RequestResponse(command, world);
    case 0x42: return SelectKeys(command, world, session);
    case 0x52: return AuthenticateCommand(command, world, session);
    case 0x56: return AuthenticateAndRead(command, world, session);
    case 0x16: return Write(command, world, session);
    default: break;
  }
  return Refuse(world, Text("unknown card command %02X", command[0]));
}

}  // namespace readersim
