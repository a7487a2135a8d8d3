#include "readersim/simulated_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "readersim/crypto.h"

namespace readersim {

namespace {

// Reader status byte of a reply that the reader could process.
constexpr std::uint8_t kStatusOk = 0x00;
// Status byte for a secured frame the reader cannot accept (the host maps it
// to a reader failure).
constexpr std::uint8_t kStatusRefused = 0x83;

struct SpeedCode {
  std::uint8_t code;
  int speed;
};

constexpr std::array<SpeedCode, 7> kSpeedCodes{{
    {0x00, 9600},
    {0x10, 14400},
    {0x01, 19200},
    {0x11, 28800},
    {0x02, 38400},
    {0x12, 57600},
    {0x13, 115200},
}};

std::string Format(const char* format, unsigned a = 0, unsigned b = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

Block8 Slice8(const Bytes& bytes, std::size_t at) {
  Block8 block{};
  for (std::size_t i = 0; i < 8; ++i) block[i] = bytes[at + i];
  return block;
}

Block8 Xor8(const Block8& a, const Block8& b) {
  Block8 out{};
  for (std::size_t i = 0; i < 8; ++i) out[i] = a[i] ^ b[i];
  return out;
}

Block8 Tdes(bool encrypt, const Block8& a, const Block8& b, const Block8& in) {
  Block8 out{};
  TripleDesEcb(encrypt, a, b, in, out);
  return out;
}

}  // namespace

void SimulatedReader::BeginHostSession() {
  speed_ = 9600;
  preparation_step_ = 0;
  provisioning_ = false;
  EndSession();
  ++world_.stats.sessions;
}

void SimulatedReader::EndSession() {
  challenge_.reset();
  session_set_ = KeySet::None;
  ra_ = rb_ = session_key_ = Block8{};
  sequence_ = 0;
  renewal_due_ = false;
  card_session_ = CardSession{};
}

Bytes SimulatedReader::StatusWord(std::uint8_t sw1, std::uint8_t sw2, const Bytes& data) {
  Bytes payload = data;
  payload.push_back(sw1);
  payload.push_back(sw2);
  return BuildReply(kStatusOk, payload);
}

Bytes SimulatedReader::Violation(const std::string& what, std::uint8_t sw1, std::uint8_t sw2) {
  world_.Violation(what);
  return StatusWord(sw1, sw2);
}

std::optional<Bytes> SimulatedReader::Handle(const HostFrame& frame) {
  const char* kind = frame.leader == kLeaderLink ? "link" : frame.leader == kLeaderReader ? "reader" : "card";
  ++world_.stats.frames[kind];
  if (frame.leader != kLeaderCard && frame.payload.size() >= 2) {
    ++world_.stats.commands[std::string(kind) + ":" + Hex(std::span(frame.payload).subspan(1, 1))];
  }
  if (!frame.checksum_ok) {
    world_.Violation(std::string(kind) + " frame with a bad checksum");
    return BuildReply(0x82, {});
  }
  if (world_.faults.status80_frames > 0) {
    --world_.faults.status80_frames;
    return BuildReply(0x80, {});
  }
  switch (frame.leader) {
    case kLeaderLink: return HandleLink(frame.payload);
    case kLeaderReader: return HandleReader(frame.payload);
    default: return HandleSecured(frame.payload);
  }
}

Bytes SimulatedReader::HandleLink(const Bytes& payload) {
  static const Bytes kReaderCheck{0x00, 0x01, 0x00, 0x00, 0x01};
  if (payload == kReaderCheck) {
    if (speed_ != 9600) world_.Violation(Format("reader check at %u bit/s", static_cast<unsigned>(speed_)));
    preparation_step_ = 0;
    return StatusWord(0x90, 0x00);
  }
  if (payload.size() == 4 && payload[0] == 0x00 && payload[1] == 0x07 && payload[3] == 0x00) {
    for (const SpeedCode& row : kSpeedCodes) {
      if (row.code != payload[2]) continue;
      Bytes reply = StatusWord(0x90, 0x00);  // answered at the old speed, then switched
      speed_ = row.speed;
      preparation_step_ = 0;
      return reply;
    }
    return Violation(Format("set speed with unknown code %02X", payload[2]), 0x6A, 0x86);
  }
  return Violation("unknown link command " + Hex(payload), 0x6D, 0x00);
}

Bytes SimulatedReader::HandleReader(const Bytes& payload) {
  if (payload.size() < 4 || payload[0] != 0x00)
    return Violation("malformed reader command " + Hex(payload), 0x6E, 0x00);
  if (speed_ != 115200)
    world_.Violation(Format("reader command %02X at %u bit/s", payload[1], static_cast<unsigned>(speed_)));
  const std::uint8_t ins = payload[1];
  const std::uint8_t p1 = payload[2];
  const std::uint8_t p2 = payload[3];
  const bool bare = payload.size() == 4;

  if (ins == 0x89) return RegisterCardKeys(payload);
  if (ins == 0x85) return p2 == 0x02 ? ProvisionStart(payload) : ProvisionKeys(payload);
  if (ins == 0x83) return Authenticate(payload);

  if (!bare) return Violation("unexpected reader command " + Hex(payload), 0x6A, 0x86);
  const bool no_parameters = p1 == 0x00 && p2 == 0x00;
  switch (ins) {
    case 0x01:
      if (!no_parameters) break;
      if (preparation_step_ != 0) world_.Violation("reader command 01 out of the preparation order");
      preparation_step_ = 1;
      return StatusWord(0x90, 0x00);
    case 0x11:
      if (p1 == 0x01 && p2 == 0x00) {
        if (preparation_step_ != 1) world_.Violation("reader command 11 01 00 out of the preparation order");
        preparation_step_ = 2;
        return StatusWord(0x90, 0x00);
      }
      if (no_parameters) {  // closing: the session ends
        EndSession();
        preparation_step_ = 0;
        return StatusWord(0x90, 0x00);
      }
      break;
    case 0x13:
      if (p1 != 0x04 || p2 != 0x05) break;
      if (preparation_step_ != 2) world_.Violation("reader command 13 out of the preparation order");
      preparation_step_ = 3;
      return StatusWord(0x90, 0x00);
    case 0x87:
      if (!no_parameters) break;
      if (preparation_step_ != 3 && !renewal_due_) world_.Violation("key state asked before the reader preparation");
      return StatusWord(0x90, 0x00, world_.reader.provisioned ? Bytes{0x01, 0x01, 0x01} : Bytes{0x00, 0x00, 0x00});
    case 0x81: {
      if (!no_parameters) break;
      EndSession();
      const Block8 q = world_.RandomBlock();
      challenge_ = q;
      return StatusWord(0x90, 0x00, Bytes(q.begin(), q.end()));
    }
    default: break;
  }
  return Violation("unexpected reader command " + Hex(payload), 0x6A, 0x86);
}

// 83 00 00 10 X Y. The reader does not know which key set the host chose, so
// it tries every set it may use in its state: the host derived Rb from Q with
// keys (K1, K2) and sent X = E(K2, K3)[Rb], Y = E(K2, K3)[Ra].
Bytes SimulatedReader::Authenticate(const Bytes& payload) {
  if (payload.size() != 5 + 16 || payload[2] != 0 || payload[3] != 0 || payload[4] != 0x10) {
    return Violation("malformed authentication " + Hex(payload), 0x67, 0x00);
  }
  if (!challenge_) return Violation("authentication without a challenge", 0x69, 0x85);
  const Block8 q = *challenge_;
  challenge_.reset();
  const Block8 x = Slice8(payload, 5);
  const Block8 y = Slice8(payload, 13);

  struct Candidate {
    KeySet set;
    const std::array<Block8, 3>* keys;
  };
  std::vector<Candidate> candidates;
  if (provisioning_) {
    candidates.push_back({KeySet::Provisioning, &world_.keys.provisioning});
    if (world_.reader.provisioned) candidates.push_back({KeySet::Session, &world_.reader.session});
  } else if (world_.reader.provisioned) {
    candidates.push_back({KeySet::Session, &world_.reader.session});
  } else {
    candidates.push_back({KeySet::Clear, nullptr});
  }

  for (const Candidate& c : candidates) {
    Block8 rb = q;
    Block8 ra = y;
    Block8 z = y;
    if (c.keys != nullptr) {
      const auto& [k1, k2, k3] = *c.keys;
      rb = Tdes(false, k1, k2, q);
      if (Tdes(false, k2, k3, x) != rb) continue;
      ra = Tdes(false, k2, k3, y);
      z = Tdes(true, k3, k1, ra);
    } else if (x != rb) {
      continue;
    }
    session_set_ = c.set;
    ra_ = ra;
    rb_ = rb;
    session_key_ = Xor8(ra, rb);
    sequence_ = 1;
    renewal_due_ = false;
    card_session_ = CardSession{};
    return StatusWord(0x90, 0x00, Bytes(z.begin(), z.end()));
  }
  ++world_.stats.authentication_failures;
  return StatusWord(0x69, 0x82);
}

// 85 00 02 03 02 11 02: a blank reader, authenticated with the clear set,
// is told that its keys are about to be written.
Bytes SimulatedReader::ProvisionStart(const Bytes& payload) {
  static const Bytes kExpected{0x00, 0x85, 0x00, 0x02, 0x03, 0x02, 0x11, 0x02};
  if (payload != kExpected) return Violation("malformed provisioning start " + Hex(payload), 0x67, 0x00);
  if (session_set_ != KeySet::Clear) return Violation("provisioning start without clear authentication", 0x69, 0x82);
  provisioning_ = true;
  EndSession();
  return StatusWord(0x90, 0x00);
}

// 85 00 01 20 followed by E(Rb, Ra)[session key | S1 | S2 | S3].
Bytes SimulatedReader::ProvisionKeys(const Bytes& payload) {
  if (payload.size() != 5 + 32 || payload[2] != 0x00 || payload[3] != 0x01 || payload[4] != 0x20) {
    return Violation("malformed provisioning keys " + Hex(payload), 0x67, 0x00);
  }
  if (!provisioning_ || (session_set_ != KeySet::Provisioning && session_set_ != KeySet::Session)) {
    return Violation("provisioning keys outside a provisioning session", 0x69, 0x85);
  }
  std::array<std::uint8_t, 32> clear{};
  TripleDesEcb(false, rb_, ra_, std::span(payload).subspan(5, 32), clear);
  Block8 sent_session_key{};
  std::copy_n(clear.begin(), 8, sent_session_key.begin());
  if (sent_session_key != session_key_) {
    clear.fill(0);
    return Violation("provisioning keys enciphered under a wrong session", 0x69, 0x82);
  }
  for (int k = 0; k < 3; ++k) std::copy_n(clear.begin() + 8 + 8 * k, 8, world_.reader.session[k].begin());
  clear.fill(0);
  world_.reader.provisioned = true;
  world_.dirty = true;
  provisioning_ = false;
  EndSession();
  return StatusWord(0x90, 0x00);
}

// 89 V slot (8n + 8) E(Rb, Ra)[session key | n card keys].
Bytes SimulatedReader::RegisterCardKeys(const Bytes& payload) {
  if (payload.size() < 5 || payload[4] != payload.size() - 5 || payload[4] % 8 != 0 || payload[4] < 8) {
    return Violation("malformed card key registration", 0x67, 0x00);
  }
  if (session_set_ != KeySet::Session) return Violation("card key registration without a session", 0x69, 0x82);
  const std::size_t n = (payload[4] - 8u) / 8u;
  const std::size_t first = payload[3];
  if (first + n > kReaderKeySlots) return Violation("card key registration beyond slot 15", 0x6A, 0x86);
  Bytes clear(payload[4]);
  TripleDesEcb(false, rb_, ra_, std::span(payload).subspan(5), clear);
  if (Slice8(clear, 0) != session_key_) {
    std::fill(clear.begin(), clear.end(), 0);
    return Violation("card key registration enciphered under a wrong session", 0x69, 0x82);
  }
  for (std::size_t k = 0; k < n; ++k) world_.reader.slots[first + k] = Slice8(clear, 8 + 8 * k);
  std::fill(clear.begin(), clear.end(), 0);
  world_.dirty = true;
  return StatusWord(0x90, 0x00);
}

// 2C E S-encrypt(sequence | L | command | pad | XOR). The reply mirrors it:
// status, F, S-encrypt(sequence | M | response | pad | XOR).
Bytes SimulatedReader::HandleSecured(const Bytes& payload) {
  if (session_set_ != KeySet::Session) {
    world_.Violation("card command before authentication");
    return BuildReply(kStatusRefused, {});
  }
  if (renewal_due_) {
    world_.Violation("card command after sequence number FFFF without a new session");
    return BuildReply(kStatusRefused, {});
  }
  if (world_.faults.next_sequence >= 0) {
    sequence_ = static_cast<std::uint16_t>(world_.faults.next_sequence);
    world_.faults.next_sequence = -1;
  }
  if (payload.empty() || payload.size() % 8 != 0) {
    world_.Violation(Format("secured frame of %u bytes", static_cast<unsigned>(payload.size())));
    return BuildReply(kStatusRefused, {});
  }
  Bytes block(payload.size());
  DesCbc(false, session_key_, payload, block);
  const std::size_t e = block.size();
  const unsigned sequence = (block[0] << 8) | block[1];
  const std::size_t length = (std::size_t{block[2]} << 8) | block[3];
  const std::size_t expected_e = (length + 5 + 7) / 8 * 8;
  if (XorOf(std::span(block).first(e - 1)) != block[e - 1]) {
    world_.Violation("secured block with a bad checksum");
    return BuildReply(kStatusRefused, {});
  }
  if (expected_e != e) {
    world_.Violation(Format("secured block of %u bytes for a command of %u", static_cast<unsigned>(e),
                            static_cast<unsigned>(length)));
    return BuildReply(kStatusRefused, {});
  }
  for (std::size_t i = 4 + length; i < e - 1; ++i) {
    if (block[i] != 0) {
      world_.Violation("secured block with non-zero padding");
      break;
    }
  }
  if (sequence != sequence_) {
    world_.Violation(Format("sequence number %04X, expected %04X", sequence, sequence_));
    return BuildReply(kStatusRefused, {});
  }
  const std::span<const std::uint8_t> command = std::span(block).subspan(4, length);
  if (!command.empty()) ++world_.stats.commands["card:" + Hex(command.first(1))];
  const Bytes response = RunCardCommand(command, world_, card_session_);

  unsigned echoed = sequence;
  if (world_.faults.bad_sequence) {
    world_.faults.bad_sequence = false;
    echoed = (sequence + 1) & 0xFFFF;
  }
  if (sequence_ == 0xFFFF) {
    renewal_due_ = true;
  } else {
    ++sequence_;
  }

  Bytes reply_block{static_cast<std::uint8_t>(echoed >> 8), static_cast<std::uint8_t>(echoed & 0xFF),
                    static_cast<std::uint8_t>(response.size() >> 8), static_cast<std::uint8_t>(response.size() & 0xFF)};
  reply_block.insert(reply_block.end(), response.begin(), response.end());
  const std::size_t reply_e = (response.size() + 5 + 7) / 8 * 8;
  reply_block.resize(reply_e - 1, 0x00);
  reply_block.push_back(XorOf(reply_block));
  Bytes enciphered(reply_e);
  DesCbc(true, session_key_, reply_block, enciphered);
  std::fill(block.begin(), block.end(), 0);
  std::fill(reply_block.begin(), reply_block.end(), 0);
  return BuildReply(kStatusOk, enciphered);
}

}  // namespace readersim
