#include "cardlib/frames.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cardlib/card_frames.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using namespace corvex;
using testing_support::Bytes;
using testing_support::Hex;
using testing_support::HexText;
using testing_support::ReplyFrame;

using Builder = std::function<Detail(std::uint8_t*, std::size_t, std::size_t&)>;

// Runs a builder into a 1024-byte buffer; the frame in hex, or the detail.
std::string Build(const Builder& build) {
  std::uint8_t out[kFrameMax];
  std::size_t length = 0;
  const Detail detail = build(out, sizeof out, length);
  if (detail != kFrameOk) return "detail " + std::to_string(detail);
  return HexText(out, length);
}

const Bytes kCardId = Hex("01 02 03 04 05 06 07 08");
const Bytes kAreas = Hex("00 00 00 65");
const Bytes kService = Hex("0A 66");

struct Golden {
  const char* name;
  Builder build;
  const char* frame;
};

TEST(Frames, GoldenFrames) {
  const Bytes challenge_data = Hex("00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF");
  const Bytes provisioning = Hex("02 11 02");
  const CardAccess access{kCardId.data(), kAreas.data(), 2, kService.data(), 1};
  const std::uint8_t blocks[] = {0, 1};
  const Bytes write_data(32, 0xAB);
  const Bytes codes = Hex("81 65 FE 00");
  const Golden goldens[] = {
      {"reader 0x83 with data",
       [&](auto o, auto c, auto& l) {
         return BuildReaderCommand(0x83, 0, 0, challenge_data.data(), challenge_data.size(), o, c, l);
       },
       "28 00 15 00 83 00 00 10 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF AE"},
      {"reader 0x85 provisioning",
       [&](auto o, auto c, auto& l) { return BuildReaderCommand(0x85, 0, 2, provisioning.data(), 3, o, c, l); },
       "28 00 08 00 85 00 02 03 02 11 02 B5"},
      {"polling one code", [&](auto o, auto c, auto& l) { return BuildPolling(codes.data(), 1, o, c, l); },
       "2C 00 05 00 81 65 01 00 CC"},
      {"polling two codes", [&](auto o, auto c, auto& l) { return BuildPolling(codes.data(), 2, o, c, l); },
       "2C 00 08 60 82 81 65 FE 00 01 00 DD"},
      {"request response", [&](auto o, auto c, auto& l) { return BuildRequestResponse(kCardId.data(), o, c, l); },
       "2C 00 09 04 01 02 03 04 05 06 07 08 29"},
      {"select keys", [](auto o, auto c, auto& l) { return BuildSelectKeys(2, 0, o, c, l); }, "2C 00 03 42 02 00 6F"},
      {"select keys, high slots", [](auto o, auto c, auto& l) { return BuildSelectKeys(0x8F, 0x80, o, c, l); },
       "2C 00 03 42 8F 80 62"},
      {"authenticate", [&](auto o, auto c, auto& l) { return BuildAuthenticate(access, o, c, l); },
       "2C 00 12 52 81 01 02 03 04 05 06 07 08 02 00 00 00 65 01 0A 66 EF"},
      {"authenticate and read",
       [&](auto o, auto c, auto& l) { return BuildAuthenticateAndRead(access, blocks, 2, o, c, l); },
       "2C 00 17 56 81 01 02 03 04 05 06 07 08 02 00 00 00 65 01 0A 66 02 80 00 80 01 ED"},
  };
  for (const Golden& golden : goldens) EXPECT_EQ(Build(golden.build), golden.frame) << golden.name;

  const std::string written =
      Build([&](auto o, auto c, auto& l) { return BuildWrite(kCardId.data(), blocks, 2, write_data.data(), o, c, l); });
  EXPECT_EQ(written.substr(0, 50), "2C 00 2E 16 01 02 03 04 05 06 07 08 02 80 00 80 01");
  EXPECT_EQ(written.size(), (4u + 46u) * 3 - 1);
}

TEST(Frames, BuildersRefuseBadArgumentsAndLongFrames) {
  std::uint8_t out[kFrameMax];
  std::size_t length = 99;
  const std::uint8_t payload[kFrameMax] = {};
  EXPECT_EQ(BuildFrame(0x28, payload, 4, out, 7, length), kFrameTooLarge);
  EXPECT_EQ(BuildFrame(0x28, payload, 4, out, 8, length), kFrameOk);
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(BuildFrame(0x28, payload, 1020, out, sizeof out, length), kFrameOk);
  EXPECT_EQ(length, 1024u);
  std::uint8_t big[2000];
  EXPECT_EQ(BuildFrame(0x28, payload, 1021, big, sizeof big, length), kFrameTooLarge);

  // Counts beyond what one frame may carry: 16 system codes, 12 blocks read,
  // 8 written.
  const std::uint8_t codes[34] = {};
  const std::uint8_t blocks[13] = {};
  const CardAccess access{kCardId.data(), kAreas.data(), 2, kService.data(), 1};
  EXPECT_EQ(BuildPolling(codes, 0, out, sizeof out, length), kFrameInvalidArgument);
  EXPECT_EQ(BuildPolling(codes, 17, out, sizeof out, length), kFrameInvalidArgument);
  EXPECT_EQ(BuildAuthenticateAndRead(access, blocks, 13, out, sizeof out, length), kFrameInvalidArgument);
  EXPECT_EQ(BuildAuthenticateAndRead(access, blocks, 0, out, sizeof out, length), kFrameInvalidArgument);
  EXPECT_EQ(BuildWrite(kCardId.data(), blocks, 9, payload, out, sizeof out, length), kFrameInvalidArgument);
}

TEST(Frames, ReaderStatusBytes) {
  const std::pair<std::uint8_t, Detail> listed[] = {
      {0x00, 0x2000000}, {0x20, 0x2000000}, {0x80, 0x2000100}, {0xA0, 0x2000100}, {0x81, 0x2000200},
      {0xA1, 0x2000200}, {0x82, 0x2000300}, {0xA2, 0x2000300}, {0x83, 0x2000400}, {0xA3, 0x2000400},
      {0x84, 0x2000500}, {0xA4, 0x2000500}, {0x87, 0x2000600}, {0xA7, 0x2000600}};
  for (int status = 0; status < 256; ++status) {
    Detail expected = kReaderProtocol;
    for (const auto& [byte, detail] : listed) {
      if (byte == status) expected = detail;
    }
    EXPECT_EQ(ReaderStatusDetail(static_cast<std::uint8_t>(status)), expected) << status;
  }
}

TEST(Frames, StatusWords) {
  const std::pair<const char*, Detail> cases[] = {{"90 00", kLinkOk},
                                                  {"6A 82", 0x2016A82u},
                                                  {"01 01 01 90 00", kLinkOk},
                                                  {"90", kReaderProtocol},
                                                  {"", kReaderProtocol}};
  for (const auto& [payload, detail] : cases) {
    const Bytes reply = ReplyFrame(0x00, Hex(payload));
    EXPECT_EQ(StatusWordDetail(reply.data(), reply.size()), detail) << payload;
  }
}

TEST(CardReplies, ResponseCodeAndResultBytes) {
  struct Case {
    Bytes payload;
    std::uint8_t expected;
    Detail detail;
  };
  const Case cases[] = {
      {Hex("43"), 0x43, kCardOk},
      {Hex("EF"), 0x43, kCardNoAnswer},
      {Hex("12"), 0x43, 0x8040012u},
      {Hex("00"), 0x43, kReaderProtocol},  // 0x8040000 would read as success
      {{}, 0x43, kReaderProtocol},
      {Hex("53 00 00 00"), 0x53, kCardOk},
      {Hex("53 00 01 A1"), 0x53, 0x80201A1u},
      {Hex("53 00 00 EF"), 0x53, kCardNoAnswer},
      {Hex("53 00 00"), 0x53, kReaderProtocol},  // too short for its result byte
      {Hex("EF"), 0x57, kCardNoAnswer},
      {Hex("17 00 00 00 00 00 00 00 00 00 00"), 0x17, kCardOk},
      {Hex("17 00 00 00 00 00 00 00 00 01 A2"), 0x17, 0x80101A2u},
      {Hex("61 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"), 0x61, kCardOk},
      {Hex("01 00"), 0x01, kReaderProtocol},  // polling reply without identifier
      // Failing result bytes need no data after them.
      {Hex("57 00 02 A1"), 0x57, 0x80202A1u},
      {Hex("57 00 00 EF"), 0x57, kCardNoAnswer},
      {Hex("61 00 02 03"), 0x61, 0x8020203u},
      {Hex("57 00 00 00"), 0x57, kReaderProtocol},
      {Hex("61 00 00 00 01"), 0x61, kReaderProtocol},
      {Hex("57 00 02"), 0x57, kReaderProtocol},
  };
  for (const Case& c : cases) {
    const Bytes reply = ReplyFrame(0x00, c.payload);
    EXPECT_EQ(CheckCardReply(reply.data(), reply.size(), c.expected), c.detail) << HexText(c.payload);
  }

  Bytes select = ReplyFrame(0x00, Hex("43"));
  select.push_back(0x00);
  EXPECT_EQ(CheckCardReply(select.data(), select.size(), 0x43), kCardReplyLength) << "one byte more than announced";
  EXPECT_EQ(CheckCardReply(select.data(), select.size() - 2, 0x43), kCardReplyLength) << "one byte less";
}

TEST(CardReplies, ReadDataAndKeyRegistration) {
  Bytes payload(31 + 32, 0x00);
  payload[0] = 0x57;
  payload[30] = 2;
  for (std::size_t i = 0; i < 32; ++i) payload[31 + i] = static_cast<std::uint8_t>(i);
  const Bytes reply = ReplyFrame(0x00, payload);
  std::uint8_t data[64] = {};
  std::size_t copied = 0;
  EXPECT_EQ(CopyReadData(reply.data(), reply.size(), data, 32, copied), kCardOk);
  EXPECT_EQ(copied, 32u);
  EXPECT_EQ(data[31], 31);
  EXPECT_EQ(CopyReadData(reply.data(), reply.size(), data, 31, copied), kCardBufferTooSmall);
  payload[30] = 3;  // announces more blocks than the reply holds
  const Bytes short_reply = ReplyFrame(0x00, payload);
  EXPECT_EQ(CopyReadData(short_reply.data(), short_reply.size(), data, 64, copied), kReaderProtocol);

  const Bytes registered = ReplyFrame(0x00, Hex("90 00"));
  EXPECT_EQ(KeyRegistrationReplyDetail(registered.data(), registered.size()), kCardOk);
  const Bytes refused = ReplyFrame(0x00, Hex("6A 86"));
  EXPECT_EQ(KeyRegistrationReplyDetail(refused.data(), refused.size()), 0x8016A86u);
  const Bytes empty = ReplyFrame(0x00, {});
  EXPECT_EQ(KeyRegistrationReplyDetail(empty.data(), empty.size()), kReaderProtocol);
}

}  // namespace
