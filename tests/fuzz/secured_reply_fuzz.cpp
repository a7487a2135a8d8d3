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
#include <vector>

#include "cardlib/frames.h"
#include "cardlib/reader_link.h"
#include "cardlib/reader_session.h"
#include "tests/cardlib/scripted_port.h"
#include "tests/cardlib/scripted_reader.h"

using testing_support::Bytes;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > corvex::kFrameMax) return 0;
  testing_support::ScriptedPort port;
  testing_support::ScriptedReader reader;
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
  reader.raw_block.assign(data + 1, data + size);
  if (reader.raw_block.empty()) reader.raw_block.push_back(0);
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
