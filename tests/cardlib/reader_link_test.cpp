#include "cardlib/reader_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cardlib/frames.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using namespace corvex;
using testing_support::Bytes;
using testing_support::Hex;
using testing_support::kModeOff;
using testing_support::kModeOn;
using testing_support::kReaderCheck;
using testing_support::kReset;
using testing_support::kSetup;
using testing_support::kSpeed115200;
using testing_support::kSpeed9600;
using testing_support::OkReply;
using testing_support::ReplyFrame;
using testing_support::ScriptedPort;
using Strings = std::vector<std::string>;

const Strings kOpeningFrames = {kReaderCheck, kSpeed115200, kReset, kModeOn, kSetup};

void ReplyOk(ScriptedPort& port, int count) {
  for (int i = 0; i < count; ++i) port.Reply(OkReply());
}

TEST(ReaderLinkOpen, FrameByFrameWithEveryPortStep) {
  ScriptedPort port;
  port.speed = 1200;
  port.timeouts.read_interval = 7;
  ReplyOk(port, 5);
  ReaderLink link(port);
  ASSERT_EQ(link.Open("\\\\.\\COM3"), kLinkOk);
  EXPECT_TRUE(link.IsOpen());
  EXPECT_EQ(port.Writes(), kOpeningFrames);
  EXPECT_EQ(port.Controls(), (Strings{"open \\\\.\\COM3", "purge", "read settings", "write settings 8 E check",
                                      "read timeouts", "write timeouts 7 50 1000 50 1000", "read speed",
                                      "set speed 9600", "read speed", "set speed 115200"}));
  EXPECT_EQ(port.speed, 115200u);
}

TEST(ReaderLinkOpen, PortFoundFastGoesTo9600BeforeTheSpeedCommand) {
  ScriptedPort fast;  // found at 115200: checked there, then moved to 9600 before the speed command
  fast.speed = 115200;
  ReplyOk(fast, 5);
  ReaderLink fast_link(fast);
  ASSERT_EQ(fast_link.Open("p"), kLinkOk);
  const Strings controls = fast.Controls();
  EXPECT_EQ(Strings(controls.end() - 3, controls.end()), (Strings{"read speed", "set speed 9600", "set speed 115200"}));
}

TEST(ReaderLinkOpen, PortStepFailuresCloseThePort) {
  struct Case {
    const char* name;
    void (*inject)(ScriptedPort::Faults&);
    Detail detail;
  };
  const Case cases[] = {
      {"open", [](ScriptedPort::Faults& f) { f.open = true; }, kPortOpenFailed},
      {"purge", [](ScriptedPort::Faults& f) { f.purge = true; }, kPortPurgeFailed},
      {"read settings", [](ScriptedPort::Faults& f) { f.read_settings = true; }, kPortStateUnreadable},
      {"write settings", [](ScriptedPort::Faults& f) { f.write_settings = true; }, kPortSettingsRefused},
      {"timeouts", [](ScriptedPort::Faults& f) { f.write_timeouts = true; }, kPortSettingsRefused},
      {"read speed", [](ScriptedPort::Faults& f) { f.read_speed = true; }, kPortStateUnreadable},
      {"port to 115200", [](ScriptedPort::Faults& f) { f.set_speed_refused = 115200; }, kPortSettingsRefused},
      {"write", [](ScriptedPort::Faults& f) { f.write_nothing = true; }, kPortWriteFailed},
      {"read", [](ScriptedPort::Faults& f) { f.read = true; }, kPortReadFailed},
  };
  for (const Case& c : cases) {
    ScriptedPort port;
    c.inject(port.faults);
    ReplyOk(port, 5);
    ReaderLink link(port);
    EXPECT_EQ(link.Open("p"), c.detail) << c.name;
    EXPECT_FALSE(link.IsOpen()) << c.name;
  }
}

TEST(ReaderLinkOpen, RefusalsAreTaggedWithTheOpeningPhase) {
  ScriptedPort check_refused;
  check_refused.Reply(ReplyFrame(0x00, Hex("6A 82")));
  ReaderLink link(check_refused);
  EXPECT_EQ(link.Open("p"), 0x2116A82u);
  EXPECT_EQ(check_refused.Writes(), Strings{kReaderCheck}) << "nothing is sent after the refusal";
  EXPECT_EQ(check_refused.log.back(), "close");

  // A failed reader preparation first asks the reader back to 9600 bit/s.
  ScriptedPort setup_refused;
  ReplyOk(setup_refused, 4);
  setup_refused.Reply(ReplyFrame(0x00, Hex("6A 82")));
  setup_refused.Reply(ReplyFrame(0x00, Hex("6F 00")));  // its answer does not matter
  ReaderLink setup_link(setup_refused);
  EXPECT_EQ(setup_link.Open("p"), 0x2116A82u);
  Strings expected = kOpeningFrames;
  expected.push_back(kSpeed9600);
  EXPECT_EQ(setup_refused.Writes(), expected);
  EXPECT_FALSE(setup_link.IsOpen());
}

class ReaderLinkExchange : public ::testing::Test {
 protected:
  void SetUp() override {
    ReplyOk(port, 5);
    ASSERT_EQ(link.Open("p"), kLinkOk);
    port.log.clear();
  }

  // Exchanges the reader check frame; the detail, and the reply in `reply`.
  Detail Send(std::size_t capacity = kFrameMax) {
    const Bytes frame = Hex(kReaderCheck);
    reply.assign(kFrameMax, 0xEE);
    reply_length = capacity;
    return link.Exchange(frame.data(), frame.size(), reply.data(), reply_length);
  }

  ScriptedPort port;
  ReaderLink link{port};
  Bytes reply;
  std::size_t reply_length = 0;
};

TEST_F(ReaderLinkExchange, CloseGoesBackToIdleThenClosesThePort) {
  port.Reply(ReplyFrame(0x00, Hex("6A 82")));  // the rest command's answer is ignored
  port.Reply(OkReply());
  EXPECT_EQ(link.Close(), kLinkOk);
  EXPECT_EQ(port.Writes(), (Strings{kModeOff, kSpeed9600}));
  EXPECT_EQ(port.Controls(), (Strings{"set speed 9600", "close"}));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(link.Close(), kPortNotOpen);

  port.log.clear();
  EXPECT_EQ(Send(), kPortNotOpen);
  EXPECT_EQ(link.Exchange(nullptr, 0, reply.data(), reply_length), kLinkInvalidArgument);
  EXPECT_TRUE(port.log.empty()) << "a closed link touches no port";
}

TEST_F(ReaderLinkExchange, RefusedSpeedChangeClosesThePortAnyway) {
  port.Reply(OkReply());
  port.Reply(ReplyFrame(0x00, Hex("6A 82")));
  EXPECT_EQ(link.Close(), 0x2216A82u);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(port.log.back(), "close");
}

TEST_F(ReaderLinkExchange, HeaderThenTheRest) {
  const Bytes answer = ReplyFrame(0x20, Hex("01 02 03 90 00"));
  port.Reply(answer);
  ASSERT_EQ(Send(), kLinkOk);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + reply_length), answer);
  EXPECT_EQ(port.log, (Strings{std::string("write ") + kReaderCheck, "read 4", "read 5"}));

  port.log.clear();
  port.Reply(Hex("00 00 00 00"));
  ASSERT_EQ(Send(), kLinkOk);
  EXPECT_EQ(reply_length, 4u);
  EXPECT_EQ(port.log.size(), 2u) << "an empty payload is complete after four bytes";
  EXPECT_EQ(link.Open("p"), kPortAlreadyOpen);
  EXPECT_TRUE(link.IsOpen());
}

TEST_F(ReaderLinkExchange, SplitReplyIsAssembledWithinFiveReads) {
  const Bytes answer = ReplyFrame(0x00, Hex("11 22 33 44 55 90 00"));
  // The header and one byte, then the rest in two pieces released by the
  // pauses after the first and the fourth further read.
  port.ReplyInPieces({Bytes(answer.begin(), answer.begin() + 5),
                      Bytes(answer.begin() + 5, answer.begin() + 7),
                      {},
                      {},
                      Bytes(answer.begin() + 7, answer.end())});
  ASSERT_EQ(Send(), kLinkOk);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + reply_length), answer);

  // A first read of fewer than 4 bytes ends the exchange at once.
  port.ReplyInPieces({Hex("00 00"), Hex("02 90 00 92")});
  EXPECT_EQ(Send(), kPortReadFailed);
}

TEST_F(ReaderLinkExchange, ReplyThatNeverCompletes) {
  const Bytes answer = ReplyFrame(0x00, Hex("11 22 33 90 00"));
  port.Reply(Bytes(answer.begin(), answer.end() - 1));
  EXPECT_EQ(Send(), kReplyIncomplete);
  int reads = 0;
  int pauses = 0;
  for (const std::string& entry : port.log) {
    reads += entry.rfind("read ", 0) == 0;
    pauses += entry == "pause 50";
  }
  EXPECT_EQ(reads, 1 + 5);
  EXPECT_EQ(pauses, 5);
}

TEST_F(ReaderLinkExchange, ReplyLargerThanTheBufferIsDiscarded) {
  port.Reply(ReplyFrame(0x00, Bytes(12, 0x55)));
  EXPECT_EQ(Send(15), kReplyTooLarge);
  EXPECT_EQ(reply[0], 0xEE) << "nothing is written into the caller's buffer";
  // The tail of that reply is gone: the next exchange reads its own answer.
  port.Reply(OkReply());
  ASSERT_EQ(Send(), kLinkOk);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + reply_length), OkReply());

  port.Reply(ReplyFrame(0x00, Bytes(12, 0x55)));
  EXPECT_EQ(Send(16), kLinkOk) << "exactly the capacity fits";
}

// A reader that trickles a reply, or takes a frame a byte at a time, holds an
// exchange no longer than the link's limits (on the port's virtual clock).
TEST(ReaderLinkTimeLimit, MisbehavingReaderIsBound) {
  const Bytes huge = ReplyFrame(0x00, Bytes(0xFFFF, 0x55));
  const Bytes fitting = ReplyFrame(0x00, Bytes(1000, 0x55));
  struct Case {
    const char* name;
    const Bytes& reply;
    std::uint32_t ms_per_byte;
    std::size_t write_chunk;
    Detail detail;
    std::uint64_t limit;
  };
  const Case cases[] = {
      {"announces 0xFFFF, a byte a second", huge, 1000, 0, kReplyTooLarge, kReplyTimeLimit},
      {"announces 0xFFFF, within the timeouts", huge, 40, 0, kReplyTooLarge, kReplyTimeLimit},
      {"fits, a byte a second", fitting, 1000, 0, kReplyIncomplete, kReplyTimeLimit},
      {"frame taken a byte at a time", fitting, 1, 1, kPortWriteFailed, kWriteTimeLimit},
  };
  for (const Case& c : cases) {
    ScriptedPort port;
    ReplyOk(port, 5);
    ReaderLink link(port);
    ASSERT_EQ(link.Open("p"), kLinkOk);
    port.faults.write_chunk = c.write_chunk;
    port.Trickle(c.reply, kFrameOverhead, c.ms_per_byte);
    const Bytes frame = Hex(kReaderCheck);
    std::uint8_t reply[kFrameMax];
    std::size_t length = sizeof reply;
    const std::uint64_t start = port.now;
    EXPECT_EQ(link.Exchange(frame.data(), frame.size(), reply, length), c.detail) << c.name;
    EXPECT_LE(port.now - start, c.limit) << c.name;
  }
}

// Under a time limit, replies that each come slowly but within the timeouts
// hold the link no longer than the limit: the exchange that would outlast it
// fails.
TEST_F(ReaderLinkExchange, SlowRepliesEndAtTheTimeLimit) {
  const Bytes slow = ReplyFrame(0x00, Bytes(1000, 0x55));  // 49 s at 49 ms a byte
  port.Trickle(slow, kFrameOverhead, 49);
  port.Trickle(slow, kFrameOverhead, 49);
  const std::uint64_t start = port.now;
  link.StartTimeLimit(kFunctionTimeLimit);
  EXPECT_EQ(Send(), kLinkOk);
  EXPECT_EQ(Send(), kTimeLimitReached);
  EXPECT_LE(port.now - start, kFunctionTimeLimit);
  link.EndTimeLimit();
}

TEST_F(ReaderLinkExchange, OneResendOnStatus80) {
  port.Reply(ReplyFrame(0x80, Hex("90 00")));
  port.Reply(OkReply());
  ASSERT_EQ(Send(), kLinkOk);
  EXPECT_EQ(port.Writes(), (Strings{kReaderCheck, kReaderCheck}));
  EXPECT_EQ(port.Controls(), (Strings{"pause 100", "purge"}));

  port.log.clear();
  port.Reply(ReplyFrame(0xA0, Hex("90 00")));
  port.Reply(ReplyFrame(0x80, Hex("90 00")));
  port.Reply(OkReply());  // never asked for: there is no third attempt
  EXPECT_EQ(Send(), kReaderBusy);
  EXPECT_EQ(port.Writes().size(), 2u);
}

TEST_F(ReaderLinkExchange, OtherStatusBytesAreNotResent) {
  // Each status byte's detail is in the frame tests' table; here, none of them is resent.
  const std::pair<std::uint8_t, Detail> cases[] = {{0x81, kReaderStatus81}, {0xA8, kReaderProtocol}};
  for (const auto& [status, detail] : cases) {
    port.log.clear();
    port.Reply(ReplyFrame(status, Hex("90 00")));
    EXPECT_EQ(Send(), detail) << int{status};
    EXPECT_EQ(port.Writes().size(), 1u);
  }
  const Bytes frame = Hex(kReset);
  port.Reply(ReplyFrame(0x00, Hex("6A 82")));
  EXPECT_EQ(link.Command(frame.data(), frame.size()), 0x2016A82u)
      << "a command's status word, outside opening: not tagged";
}

TEST_F(ReaderLinkExchange, ShortWritesLoopAndPortFailuresEndTheExchange) {
  port.faults.write_chunk = 2;
  port.Reply(OkReply());
  ASSERT_EQ(Send(), kLinkOk);
  EXPECT_EQ(port.Writes(), Strings{kReaderCheck});

  port.faults.write_nothing = true;
  EXPECT_EQ(Send(), kPortWriteFailed);

  port.faults.write_nothing = false;
  port.faults.read = true;
  EXPECT_EQ(Send(), kPortReadFailed);
  EXPECT_EQ(port.log.back(), "clear error");
}

}  // namespace
