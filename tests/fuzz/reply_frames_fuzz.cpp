// Reader replies as a misbehaving reader could send them: the link's reply
// assembler reads them in pieces from a scripted port, and every parser of a
// reply frame then reads what it assembled, and the raw bytes as well.
//
// Input: byte 0 picks the reply buffer's capacity and the response code
// expected, byte 1 the size of the first piece; the rest is the reply.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cardlib/card_frames.h"
#include "cardlib/frames.h"
#include "cardlib/reader_link.h"
#include "tests/cardlib/scripted_port.h"

namespace {

constexpr std::uint8_t kExpectedCodes[] = {
    corvex::kResponsePolling,        corvex::kResponseRequestResponse,
    corvex::kResponseWrite,          corvex::kResponseSelectKeys,
    corvex::kResponseAuthenticate,   corvex::kResponseAuthenticateAndRead,
    corvex::kResponsePollingSeveral, 0x00,
};

void ParseReply(const std::uint8_t* reply, std::size_t length, std::uint8_t expected) {
  corvex::CheckCardReply(reply, length, expected);
  std::uint8_t blocks[corvex::kReadBlocksMax * corvex::kBlockSize];
  std::size_t copied = 0;
  corvex::CopyReadData(reply, length, blocks, sizeof blocks, copied);
  corvex::CopyReadData(reply, length, blocks, corvex::kBlockSize, copied);
  corvex::KeyRegistrationReplyDetail(reply, length);
  corvex::StatusWordDetail(reply, length);
  if (length >= corvex::kFrameOverhead) {
    corvex::AnnouncedLength(reply);
    corvex::ReaderStatusDetail(reply[0]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t selector = data[0];
  const std::size_t first_piece = data[1];
  const std::vector<std::uint8_t> reply(data + 2, data + size);
  const std::uint8_t expected = kExpectedCodes[selector % sizeof kExpectedCodes];

  ParseReply(reply.data(), reply.size(), expected);

  testing_support::ScriptedPort port;
  if ((selector & 0x80) != 0 && first_piece < reply.size()) {
    port.ReplyInPieces({testing_support::Bytes(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(first_piece)),
                        testing_support::Bytes(reply.begin() + static_cast<std::ptrdiff_t>(first_piece), reply.end())});
  } else {
    port.Reply(reply);
  }
  port.Reply(reply);  // the answer to a resend
  port.Open("fuzz");
  corvex::ReaderLink link(port);
  const std::uint8_t frame[] = {0x08, 0x00, 0x05, 0x00, 0x01, 0x00, 0x00, 0x01, 0x0D};
  const std::size_t capacities[] = {corvex::kFrameMax, 64, 8, 4};
  std::vector<std::uint8_t> buffer(capacities[(selector >> 3) % 4]);
  std::size_t length = buffer.size();
  if (link.Exchange(frame, sizeof frame, buffer.data(), length) == corvex::kLinkOk) {
    buffer.resize(length);
    ParseReply(buffer.data(), buffer.size(), expected);
  }
  return 0;
}
