// The reader's side of a secured session for a scripted port's responder:
// it answers the reader commands (a provisioned key state, a fixed
// challenge, the proof under the library's session keys) and the secured
// frames, and can shape a secured reply or refuse chosen frames.
#pragma once

#include <string>
#include <vector>

#include "cardlib/card_keys.h"
#include "cardlib/frames.h"
#include "cardlib/session_cipher.h"
#include "tests/support/reader_frames.h"

namespace testing_support {

class ScriptedReader {
 public:
  // Shapes the reply block of a secured frame: by default M is the response's
  // length; a test may claim another M or send nothing.
  int claimed_m = -1;
  bool empty_reply = false;
  Bytes response = Hex("43");
  Bytes key_state = Hex("01 01 01");   // a provisioned reader's
  std::vector<Bytes> reader_commands;  // instruction and parameters of each
  std::string refused_prefix;          // frames that begin so are refused with 6A 80
  // Or the next secured reply's clear block as it is (whole 8-byte blocks
  // enciphered, the rest sent plain), its sequence number set right unless
  // `right_sequence` is false, under the reader status `status`.
  Bytes raw_block;
  bool right_sequence = true;
  std::uint8_t status = 0x00;

  Bytes Answer(const Bytes& frame) {
    if (!refused_prefix.empty() && HexText(frame).rfind(refused_prefix, 0) == 0) return ReplyFrame(0x00, {0x6A, 0x80});
    if (frame[0] == corvex::kLeaderCard) return Secured(frame);
    const Bytes command(frame.begin() + 3, frame.end() - 1);
    reader_commands.push_back(Bytes(command.begin() + 1, command.begin() + 4));
    switch (command[1]) {
      case 0x87: return Ok(key_state);
      case 0x81: return Ok(Hex("10 32 54 76 98 BA DC FE"));
      case 0x83: return Proof(command);
      default: return Ok({});
    }
  }

 private:
  static Bytes Ok(Bytes data) {
    data.insert(data.end(), {0x90, 0x00});
    return ReplyFrame(0x00, data);
  }

  Bytes Proof(const Bytes& command) {
    const corvex::ReaderKeySet& set = corvex::CompiledKeys().session;
    std::uint8_t ra[8], rb[8];
    corvex::TripleDesDecrypt(set.keys[0], set.keys[1], Hex("10 32 54 76 98 BA DC FE").data(), 8, rb);
    corvex::TripleDesDecrypt(set.keys[1], set.keys[2], command.data() + 13, 8, ra);
    Bytes z(8);
    corvex::TripleDesEncrypt(set.keys[2], set.keys[0], ra, 8, z.data());
    for (int i = 0; i < 8; ++i) session_key_[i] = ra[i] ^ rb[i];
    return Ok(z);
  }

  Bytes Secured(const Bytes& frame) {
    const std::size_t e = std::size_t{frame[1]} << 8 | frame[2];
    Bytes clear(e);
    corvex::DesCbcDecrypt(session_key_, frame.data() + 3, e, clear.data());
    if (empty_reply) return ReplyFrame(0x00, {});
    Bytes block = std::move(raw_block);
    raw_block.clear();
    if (block.empty()) {
      const std::size_t m = claimed_m >= 0 ? static_cast<std::size_t>(claimed_m) : response.size();
      const std::size_t f = (response.size() + 5 + 7) / 8 * 8;
      block = {clear[0], clear[1], static_cast<std::uint8_t>(m >> 8), static_cast<std::uint8_t>(m)};
      block.insert(block.end(), response.begin(), response.end());
      block.resize(f - 1, 0);
      block.push_back(corvex::XorChecksum(block.data(), block.size()));
    } else if (right_sequence && block.size() >= 2) {
      block[0] = clear[0];
      block[1] = clear[1];
    }
    Bytes sealed = block;
    corvex::DesCbcEncrypt(session_key_, block.data(), block.size() / 8 * 8, sealed.data());
    return ReplyFrame(status, sealed);
  }

  std::uint8_t session_key_[8] = {};
};

}  // namespace testing_support
