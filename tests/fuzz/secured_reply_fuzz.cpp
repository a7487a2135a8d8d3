// Secured replies as a misbehaving reader could send them, under the
// development keys: a scripted reader plays the authentication honestly, then
// answers a card command with a block made of the input, enciphered under the
// session key, and the session deciphers and checks it. A second exchange
// follows, answered correctly, which must succeed whatever the first did.
//
// Input: byte 0 picks the reply's reader status and whether the block's
// sequence number is set right; the rest is the clear block (whole 8-byte
// blocks enciphered, any bytes left over sent as they are).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "cardlib/card_keys.h"
#include "cardlib/frames.h"
#include "cardlib/reader_link.h"
#include "cardlib/reader_session.h"
#include "cardlib/session_cipher.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using testing_support::Bytes;
using testing_support::ReplyFrame;

constexpr std::uint8_t kChallenge[8] = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};

Bytes Ok(Bytes data) {
  data.push_back(0x90);
  data.push_back(0x00);
  return ReplyFrame(0x00, data);
}

// The reader's side of the session, with the session key set.
class Reader {
 public:
  Bytes block;  // the next secured reply's clear block (empty: a correct one)
  std::uint8_t status = 0x00;
  bool right_sequence = true;

  Bytes Answer(const Bytes& frame) {
    if (frame.size() < 4) return {};
    if (frame[0] == corvex::kLeaderCard) return Secured(frame);
    const Bytes command(frame.begin() + 3, frame.end() - 1);
    if (command.size() < 2) return Ok({});
    switch (command[1]) {
      case 0x87: return Ok({0x01, 0x01, 0x01});
      case 0x81: return Ok(Bytes(kChallenge, kChallenge + 8));
      case 0x83: return Proof(command);
      default: return Ok({});
    }
  }

 private:
  Bytes Proof(const Bytes& command) {
    if (command.size() < 21) return Ok({});
    const corvex::ReaderKeySet& set = corvex::CompiledKeys().session;
    corvex::TripleDesDecrypt(set.keys[0], set.keys[1], kChallenge, 8, rb_);
    corvex::TripleDesDecrypt(set.keys[1], set.keys[2], command.data() + 13, 8, ra_);
    Bytes z(8);
    corvex::TripleDesEncrypt(set.keys[2], set.keys[0], ra_, 8, z.data());
    for (int i = 0; i < 8; ++i) key_[i] = ra_[i] ^ rb_[i];
    return Ok(z);
  }

  Bytes Secured(const Bytes& frame) {
    const std::size_t e = std::size_t{frame[1]} << 8 | frame[2];
    if (e < 8 || e % 8 != 0 || e + 4 > frame.size()) return {};
    Bytes sent(e);
    corvex::DesCbcDecrypt(key_, frame.data() + 3, e, sent.data());
    Bytes clear = block;
    if (clear.empty()) {  // a correct reply: response 43, result 00 00
      clear = {sent[0], sent[1], 0x00, 0x03, 0x43, 0x00, 0x00, 0x00};
      clear.back() = corvex::XorChecksum(clear.data(), 7);
    } else if (right_sequence && clear.size() >= 2) {
      clear[0] = sent[0];
      clear[1] = sent[1];
    }
    block.clear();
    const std::size_t whole = clear.size() / 8 * 8;
    Bytes sealed(clear.size());
    corvex::DesCbcEncrypt(key_, clear.data(), whole, sealed.data());
    std::memcpy(sealed.data() + whole, clear.data() + whole, clear.size() - whole);
    return ReplyFrame(status, sealed);
  }

  std::uint8_t ra_[8] = {};
  std::uint8_t rb_[8] = {};
  std::uint8_t key_[8] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > corvex::kFrameMax) return 0;
  testing_support::ScriptedPort port;
  Reader reader;
  port.responder = [&reader](const Bytes& frame) { return reader.Answer(frame); };
  port.Open("fuzz");
  corvex::ReaderLink link(port);
  corvex::ReaderSession session(link);
  if (session.Start() != corvex::kLinkOk) __builtin_trap();

  const std::uint8_t command[] = {0x42, 0x01, 0x00};
  std::uint8_t frame[corvex::kFrameMax];
  std::size_t frame_length = 0;
  corvex::BuildFrame(corvex::kLeaderCard, command, sizeof command, frame, sizeof frame, frame_length);

  reader.status = (data[0] & 0x01) != 0 ? 0x20 : 0x00;
  reader.right_sequence = (data[0] & 0x02) != 0;
  reader.block.assign(data + 1, data + size);
  if (reader.block.empty()) reader.block.push_back(0);
  std::vector<std::uint8_t> reply((data[0] & 0x04) != 0 ? 8 : corvex::kFrameMax);
  std::size_t reply_length = reply.size();
  const corvex::Detail first = session.Exchange(frame, frame_length, reply.data(), reply_length);
  if (first == corvex::kLinkOk && (reply_length < corvex::kFrameOverhead || reply_length > reply.size()))
    __builtin_trap();

  reply.assign(corvex::kFrameMax, 0);
  reply_length = reply.size();
  if (session.Exchange(frame, frame_length, reply.data(), reply_length) != corvex::kLinkOk) __builtin_trap();
  return 0;
}
