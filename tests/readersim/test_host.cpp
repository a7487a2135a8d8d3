#include "tests/readersim/test_host.h"

#include <algorithm>

#include "readersim/crypto.h"

namespace readersim_test {

using readersim::DesCbc;
using readersim::TripleDesEcb;
using readersim::XorOf;

namespace {

Block8 Slice(const Bytes& bytes, std::size_t at) {
  Block8 block{};
  for (std::size_t i = 0; i < 8; ++i) block[i] = bytes[at + i];
  return block;
}

Block8 Tdes(bool encrypt, const Block8& a, const Block8& b, const Block8& in) {
  Block8 out{};
  TripleDesEcb(encrypt, a, b, in, out);
  return out;
}

void Append(Bytes& out, const Block8& block) { out.insert(out.end(), block.begin(), block.end()); }

}  // namespace

std::optional<Bytes> TestHost::Clear(std::uint8_t leader, const Bytes& payload) {
  const std::optional<Bytes> reply = transport_(Frame(leader, payload));
  if (!reply || reply->size() < 4) return std::nullopt;
  last_status_ = (*reply)[0];
  return Bytes(reply->begin() + 3, reply->end() - 1);
}

bool TestHost::ClearOk(std::uint8_t leader, const Bytes& payload) {
  const std::optional<Bytes> reply = Clear(leader, payload);
  return reply && reply->size() >= 2 && (*reply)[reply->size() - 2] == 0x90 && reply->back() == 0x00 &&
         (last_status_ == 0x00 || last_status_ == 0x20);
}

bool TestHost::Prepare() {
  return ClearOk(0x08, {0x00, 0x01, 0x00, 0x00, 0x01}) && ClearOk(0x08, {0x00, 0x07, 0x13, 0x00}) &&
         ClearOk(0x28, {0x00, 0x01, 0x00, 0x00}) && ClearOk(0x28, {0x00, 0x11, 0x01, 0x00}) &&
         ClearOk(0x28, {0x00, 0x13, 0x04, 0x05});
}

bool TestHost::Authenticate(const std::optional<KeySet>& set) {
  const std::optional<Bytes> challenge = Clear(0x28, {0x00, 0x81, 0x00, 0x00});
  if (!challenge || challenge->size() != 10) return false;
  const Block8 q = Slice(*challenge, 0);
  Block8 ra{};
  for (auto& b : ra) b = static_cast<std::uint8_t>((counter_ = counter_ * 6364136223846793005ULL + 1) >> 56);
  const Block8 rb = set ? Tdes(false, set->k1, set->k2, q) : q;
  const Block8 x = set ? Tdes(true, set->k2, set->k3, rb) : rb;
  const Block8 y = set ? Tdes(true, set->k2, set->k3, ra) : ra;
  Bytes command{0x00, 0x83, 0x00, 0x00, 0x10};
  Append(command, x);
  Append(command, y);
  const std::optional<Bytes> proof = Clear(0x28, command);
  if (!proof || proof->size() != 10) return false;
  const Block8 z = set ? Tdes(false, set->k3, set->k1, Slice(*proof, 0)) : Slice(*proof, 0);
  if (z != ra) return false;
  ra_ = ra;
  rb_ = rb;
  for (int i = 0; i < 8; ++i) session_key_[i] = ra[i] ^ rb[i];
  sequence_ = 1;
  return true;
}

bool TestHost::StartSession(const readersim::KeyConfig& keys) {
  const std::optional<Bytes> state = Clear(0x28, {0x00, 0x87, 0x00, 0x00});
  if (!state || state->size() != 5) return false;
  const KeySet session{keys.session[0], keys.session[1], keys.session[2]};
  if ((*state)[0] == 0 || (*state)[1] == 0 || (*state)[2] == 0) {
    const KeySet provisioning{keys.provisioning[0], keys.provisioning[1], keys.provisioning[2]};
    if (!Authenticate(std::nullopt) || !ClearOk(0x28, {0x00, 0x85, 0x00, 0x02, 0x03, 0x02, 0x11, 0x02})) return false;
    if (!Authenticate(provisioning) && !Authenticate(session)) return false;
    Bytes clear;
    Append(clear, session_key_);
    for (const Block8& key : keys.session) Append(clear, key);
    Bytes enciphered(32);
    TripleDesEcb(true, rb_, ra_, clear, enciphered);
    Bytes command{0x00, 0x85, 0x00, 0x01, 0x20};
    command.insert(command.end(), enciphered.begin(), enciphered.end());
    if (!ClearOk(0x28, command)) return false;
  }
  return Authenticate(session) && RegisterCardKeys(keys);
}

bool TestHost::RegisterCardKeys(const readersim::KeyConfig& keys) {
  Bytes clear;
  Append(clear, session_key_);
  for (const Block8& key : keys.card) Append(clear, key);
  Bytes enciphered(clear.size());
  TripleDesEcb(true, rb_, ra_, clear, enciphered);
  Bytes command{0x00, 0x89, 0x00, 0x00, static_cast<std::uint8_t>(clear.size())};
  command.insert(command.end(), enciphered.begin(), enciphered.end());
  const std::optional<Bytes> reply = Clear(0x28, command);
  return reply && *reply == Bytes{0x90, 0x00};
}

bool TestHost::Close() {
  ClearOk(0x28, {0x00, 0x11, 0x00, 0x00});
  return ClearOk(0x08, {0x00, 0x07, 0x00, 0x00});
}

std::optional<Bytes> TestHost::Secured(const Bytes& command) {
  const std::size_t length = command.size();
  const std::size_t padded = (length + 5 + 7) / 8 * 8;
  Bytes block{static_cast<std::uint8_t>(sequence_ >> 8), static_cast<std::uint8_t>(sequence_),
              static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
  block.insert(block.end(), command.begin(), command.end());
  block.resize(padded - 1, 0);
  block.push_back(XorOf(block));
  Bytes enciphered(padded);
  DesCbc(true, session_key_, block, enciphered);
  const std::optional<Bytes> reply = transport_(Frame(0x2C, enciphered));
  if (!reply || reply->size() < 4) return std::nullopt;
  last_status_ = (*reply)[0];
  const std::size_t f = ((*reply)[1] << 8) | (*reply)[2];
  if (f == 0 || f + 4 != reply->size() || f % 8 != 0) return std::nullopt;
  const std::uint16_t sent = sequence_;
  ++sequence_;
  Bytes clear(f);
  DesCbc(false, session_key_, Bytes(reply->begin() + 3, reply->begin() + 3 + static_cast<std::ptrdiff_t>(f)), clear);
  if (((clear[0] << 8) | clear[1]) != sent) return std::nullopt;
  const std::size_t m = (clear[2] << 8) | clear[3];
  if (m + 5 > f) return std::nullopt;
  return Bytes(clear.begin() + 4, clear.begin() + 4 + static_cast<std::ptrdiff_t>(m));
}

Bytes AuthenticateCommand(const Block8& idm, std::uint16_t service) {
  Bytes command{0x52, 0x81};
  Append(command, idm);
  command.insert(command.end(), {0x02, 0x00, 0x00, 0x00, 0x65, 0x01, static_cast<std::uint8_t>(service & 0xFF),
                                 static_cast<std::uint8_t>(service >> 8)});
  return command;
}

Bytes WriteCommand(const Block8& idm, const std::vector<std::uint8_t>& blocks, const Bytes& data) {
  Bytes command{0x16};
  Append(command, idm);
  command.push_back(static_cast<std::uint8_t>(blocks.size()));
  for (std::uint8_t b : blocks) command.insert(command.end(), {0x80, b});
  command.insert(command.end(), data.begin(), data.end());
  return command;
}

}  // namespace readersim_test
