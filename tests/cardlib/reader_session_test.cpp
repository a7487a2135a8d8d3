// The secured session over a scripted port whose responder plays the reader's
// part of the authentication and of the secured frames, so that a test can
// shape replies the simulator never sends: a key state of another length, a
// length beyond its block, an empty reply. (Block sizes, padding and provisioning are checked by the
// simulator on every secured frame it takes.)
#include "cardlib/reader_session.h"

#include <gtest/gtest.h>

#include "cardlib/frames.h"
#include "tests/cardlib/scripted_port.h"
#include "tests/cardlib/scripted_reader.h"

namespace {

using namespace corvex;
using testing_support::Bytes;
using testing_support::Hex;
using testing_support::ReplyFrame;
using testing_support::ScriptedPort;
using testing_support::ScriptedReader;

class ReaderSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port.responder = [this](const Bytes& frame) { return reader.Answer(frame); };
    ASSERT_TRUE(port.Open("p"));
  }

  Detail Send(const Bytes& payload, Bytes& reply) {
    std::uint8_t frame[kFrameMax];
    std::size_t length = 0;
    EXPECT_EQ(BuildFrame(kLeaderCard, payload.data(), payload.size(), frame, sizeof frame, length), kFrameOk);
    reply.assign(64, 0xAA);
    std::size_t reply_length = reply.size();
    const Detail detail = session.Exchange(frame, length, reply.data(), reply_length);
    if (detail == kLinkOk) reply.resize(reply_length);
    return detail;
  }

  ScriptedReader reader;
  ScriptedPort port;
  ReaderLink link{port};
  ReaderSession session{link};
};

TEST_F(ReaderSessionTest, ReplyLongerThanItsBlockIsRefusedBeforeAnythingIsCopied) {
  ASSERT_EQ(session.Start(), kLinkOk);
  EXPECT_EQ(reader.reader_commands, (std::vector<Bytes>{Hex("87 00 00"), Hex("81 00 00"), Hex("83 00 00")}));
  reader.response = Hex("17 01 02");  // F = 8: at most 3 payload bytes
  reader.claimed_m = 3;
  Bytes reply;
  ASSERT_EQ(Send(Hex("42 01 00"), reply), kLinkOk) << "M = F - 5 is the most";
  EXPECT_EQ(reply, ReplyFrame(0x00, Hex("17 01 02")));

  reader.claimed_m = 4;
  EXPECT_EQ(Send(Hex("42 01 00"), reply), kReaderProtocol);
  EXPECT_EQ(reply, Bytes(64, 0xAA)) << "nothing was copied";
  reader.claimed_m = 0xFFFF;
  EXPECT_EQ(Send(Hex("42 01 00"), reply), kReaderProtocol);
  EXPECT_EQ(reply, Bytes(64, 0xAA));
}

TEST_F(ReaderSessionTest, AKeyStateOfAnotherLengthIsMalformedAndEachStartDrawsAFreshRandom) {
  for (const char* state : {"", "01 01", "01 01 01 01"}) {
    reader.key_state = Hex(state);
    reader.reader_commands.clear();
    EXPECT_EQ(session.Start(), kReaderProtocol) << state;
    EXPECT_EQ(reader.reader_commands.size(), 1u) << state << ": nothing after the key state";
  }
  reader.key_state = Hex("01 01 01");
  ASSERT_EQ(session.Start(), kLinkOk);
  const std::string first = port.Writes().back();
  ASSERT_EQ(session.Start(), kLinkOk);
  EXPECT_NE(port.Writes().back(), first) << "the 0x83 proofs differ";
  session.End();
  EXPECT_FALSE(session.Active());
  Bytes reply;
  EXPECT_EQ(Send(Hex("42 01 00"), reply), kReaderAuthentication) << "no secured frame without a session";
}

TEST_F(ReaderSessionTest, LostExchangeRenewsTheSessionFirst) {
  struct Case {
    const char* name;
    void (*lose)(ScriptedReader&);
    Detail detail;
  };
  const Case cases[] = {
      {"empty reply", [](ScriptedReader& r) { r.empty_reply = true; }, kSecuredReplyEmpty},
      {"unreadable reply", [](ScriptedReader& r) { r.claimed_m = 0xFFFF; }, kReaderProtocol},
  };
  ASSERT_EQ(session.Start(), kLinkOk);
  Bytes reply;
  for (const Case& c : cases) {
    c.lose(reader);
    EXPECT_EQ(Send(Hex("42 01 00"), reply), c.detail) << c.name;
    EXPECT_EQ(port.log.back(), "purge") << c.name;
    reader.empty_reply = false;
    reader.claimed_m = -1;
    reader.reader_commands.clear();
    EXPECT_EQ(Send(Hex("42 01 00"), reply), kLinkOk) << c.name;
    EXPECT_EQ(reader.reader_commands, (std::vector<Bytes>{Hex("87 00 00"), Hex("81 00 00"), Hex("83 00 00")}))
        << c.name;
    EXPECT_EQ(session.Sequence(), 2) << c.name;
  }

  port.NoReply();
  EXPECT_EQ(Send(Hex("42 01 00"), reply), kPortReadFailed);
  port.NoReply();  // to the renewal's key state query
  EXPECT_EQ(Send(Hex("42 01 00"), reply), kPortReadFailed);
  EXPECT_EQ(Send(Hex("42 01 00"), reply), kLinkOk) << "renewed at the second try";
}

}  // namespace
