// The simulated reader driven in-process by the card library's link and
// secured session, and by frames made by hand where a host breaks its rules.
// (Wrong keys, provisioning and session renewal the card library's simulator
// tests show.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "cardlib/reader_session.h"
#include "readersim/crypto.h"
#include "readersim/simulated_reader.h"
#include "tests/cardlib/scripted_port.h"

namespace {

using readersim::Block8;
using readersim::Bytes;
using readersim::Card;
using readersim::World;
using testing_support::ReplyFrame;  // a host frame has the same layout, the leader in place of the status

class InProcessReader : public ::testing::Test {
 protected:
  InProcessReader() : reader_(world_) {
    world_.keys = readersim::DefaultKeys();
    world_.reader.session = world_.keys.session;
    reader_.BeginHostSession();
    port_.responder = [this](const Bytes& frame) { return Send(frame).value_or(Bytes{}); };
  }

  std::optional<Bytes> Send(const Bytes& frame) {
    assembler_.Feed(frame);
    std::string problem;
    std::optional<readersim::HostFrame> parsed = assembler_.Next(problem);
    if (!problem.empty()) world_.Violation(problem);
    if (!parsed) return std::nullopt;
    return reader_.Handle(*parsed);
  }

  // A link or reader command sent clear; the reply's payload.
  Bytes Clear(std::uint8_t leader, const Bytes& payload) {
    const std::optional<Bytes> reply = Send(ReplyFrame(leader, payload));
    if (!reply || reply->size() < 4) return {};
    return Bytes(reply->begin() + 3, reply->end() - 1);
  }

  // A card command through the card library's secured session; the reply's
  // payload, or nullopt with the failure in `detail_`.
  std::optional<Bytes> Secured(const Bytes& command) {
    const Bytes frame = ReplyFrame(0x2C, command);
    Bytes reply(corvex::kFrameMax);
    std::size_t length = reply.size();
    detail_ = session_.Exchange(frame.data(), frame.size(), reply.data(), length);
    if (detail_ != corvex::kLinkOk) return std::nullopt;
    return Bytes(reply.begin() + 3, reply.begin() + static_cast<std::ptrdiff_t>(length) - 1);
  }

  // The mutual authentication made by hand with the key set `set` (nullptr:
  // the clear set); whether the reader's proof came back.
  bool Authenticates(const std::array<Block8, 3>* set) {
    const Bytes challenge = Clear(0x28, {0x00, 0x81, 0x00, 0x00});
    if (challenge.size() != 10) return false;
    Block8 q{};
    std::copy_n(challenge.begin(), 8, q.begin());
    Block8 rb = q;
    Block8 x = q;
    Block8 y{};  // Ra = 0
    if (set != nullptr) {
      readersim::TripleDesEcb(false, (*set)[0], (*set)[1], q, rb);
      readersim::TripleDesEcb(true, (*set)[1], (*set)[2], rb, x);
      readersim::TripleDesEcb(true, (*set)[1], (*set)[2], Block8{}, y);
    }
    Bytes command{0x00, 0x83, 0x00, 0x00, 0x10};
    command.insert(command.end(), x.begin(), x.end());
    command.insert(command.end(), y.begin(), y.end());
    const Bytes proof = Clear(0x28, command);
    return proof.size() == 10 && proof[8] == 0x90 && proof[9] == 0x00;
  }

  const std::vector<std::string>& violations() const { return world_.stats.violations; }

  World world_;
  readersim::SimulatedReader reader_;
  readersim::FrameAssembler assembler_;
  testing_support::ScriptedPort port_;
  corvex::ReaderLink link_{port_};
  corvex::ReaderSession session_{link_};
  corvex::Detail detail_ = corvex::kLinkOk;
};

// Card command payloads.
const Bytes kPolling = {0x00, 0x81, 0x65, 0x01, 0x00};
Bytes SelectKeys(std::uint8_t a, std::uint8_t b) { return {0x42, a, b}; }

Bytes Authenticate(const Block8& idm, std::uint16_t service) {
  Bytes command{0x52, 0x81};
  command.insert(command.end(), idm.begin(), idm.end());
  command.insert(command.end(), {0x02, 0x00, 0x00, 0x00, 0x65, 0x01, static_cast<std::uint8_t>(service & 0xFF),
                                 static_cast<std::uint8_t>(service >> 8)});
  return command;
}

Bytes WriteBlock0(const Block8& idm, const Bytes& data) {
  Bytes command{0x16};
  command.insert(command.end(), idm.begin(), idm.end());
  command.insert(command.end(), {0x01, 0x80, 0x00});
  command.insert(command.end(), data.begin(), data.end());
  return command;
}

TEST(Frames, AssemblerCutsSplitAndJoinedFramesAndDropsNoise) {
  readersim::FrameAssembler assembler;
  std::string problem;
  const Bytes a = ReplyFrame(0x28, {0x00, 0x01, 0x00, 0x00});
  const Bytes b = ReplyFrame(0x08, {0x00, 0x01, 0x00, 0x00, 0x01});
  Bytes stream{0x55};
  stream.insert(stream.end(), a.begin(), a.end());
  stream.insert(stream.end(), b.begin(), b.end());
  assembler.Feed(std::span(stream).first(5));
  EXPECT_FALSE(assembler.Next(problem).has_value());
  EXPECT_NE(problem.find("55"), std::string::npos);
  EXPECT_FALSE(assembler.Next(problem).has_value());
  EXPECT_TRUE(problem.empty());
  assembler.Feed(std::span(stream).subspan(5));
  auto first = assembler.Next(problem);
  auto second = assembler.Next(problem);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->leader, 0x28);
  EXPECT_EQ(second->payload, Bytes({0x00, 0x01, 0x00, 0x00, 0x01}));
  EXPECT_TRUE(first->checksum_ok && second->checksum_ok);
  EXPECT_FALSE(assembler.HasPartial());
}

TEST_F(InProcessReader, BlankReaderRefusesTheSessionSetUntilProvisioned) {
  world_.reader = readersim::ReaderKeyState{};
  world_.reader.provisioned = false;
  ASSERT_EQ(link_.Open("p"), corvex::kLinkOk);
  ASSERT_EQ(Clear(0x28, {0x00, 0x87, 0x00, 0x00}).size(), 5u);
  EXPECT_FALSE(Authenticates(&world_.keys.session));
  EXPECT_TRUE(Authenticates(nullptr));
}

TEST_F(InProcessReader, CardRulesAndSequenceNumbersAreEnforced) {
  Card& card = world_.deck.cards["user"] = Card::Blank({0x01, 0x2E, 0x10, 0x20, 0x30, 0x40, 0x50, 0x04}, world_.keys);
  world_.deck.on_reader = "user";
  ASSERT_EQ(link_.Open("p"), corvex::kLinkOk);
  ASSERT_EQ(session_.Start(), corvex::kLinkOk);
  ASSERT_EQ(session_.RegisterCardKeys(), corvex::kCardOk);
  const Bytes block(16, 0xAB);

  // Write without Authenticate since the last Select keys.
  EXPECT_EQ(Secured(SelectKeys(2, 0)), Bytes{0x43});
  auto reply = Secured(WriteBlock0(card.idm, block));
  ASSERT_TRUE(reply.has_value());
  EXPECT_NE(reply->at(9), 0x00);
  EXPECT_EQ(violations().back(), "Write without Authenticate");

  // A key slot that does not hold the card's key for the service.
  EXPECT_EQ(Secured(SelectKeys(3, 0)), Bytes{0x43});
  reply = Secured(Authenticate(card.idm, 0x6608));
  ASSERT_TRUE(reply.has_value());
  EXPECT_NE(reply->at(3), 0x00);

  // A read-only code can be read but not written.
  EXPECT_EQ(Secured(SelectKeys(1, 0)), Bytes{0x43});
  EXPECT_EQ(Secured(Authenticate(card.idm, 0x660A))->at(3), 0x00);
  reply = Secured(WriteBlock0(card.idm, block));
  EXPECT_NE(reply->at(9), 0x00);
  EXPECT_EQ(card.blocks[0][0], readersim::Block16{});

  // Unregistered key slot.
  EXPECT_EQ(Secured(SelectKeys(12, 0)), Bytes{0x7F});

  // No card on the reader.
  world_.deck.on_reader.reset();
  EXPECT_EQ(Secured(kPolling), Bytes{0xEF});
  EXPECT_EQ(violations().size(), 3u);

  // The host skips a sequence number: the reader refuses and records it.
  session_.SetSequenceForTest(session_.Sequence() + 1);
  EXPECT_FALSE(Secured(kPolling).has_value());
  EXPECT_EQ(detail_, corvex::kReaderStatus83);
  ASSERT_EQ(violations().size(), 4u);
  EXPECT_NE(violations().back().find("sequence number"), std::string::npos);
}

TEST_F(InProcessReader, OrderAndFormatDeviationsAreViolations) {
  const Bytes ok{0x90, 0x00};
  // Reader commands before the speed change, preparation out of order.
  EXPECT_EQ(Clear(0x28, {0x00, 0x13, 0x04, 0x05}), ok);
  EXPECT_EQ(violations().size(), 2u);
  EXPECT_EQ(Clear(0x08, {0x00, 0x01, 0x00, 0x00, 0x01}), ok);
  // A set-speed code outside the table is refused.
  EXPECT_EQ(Clear(0x08, {0x00, 0x07, 0x14, 0x00}), Bytes({0x6A, 0x86}));
  EXPECT_EQ(reader_.speed(), 9600);
  EXPECT_EQ(violations().size(), 3u);
  // A bad checksum.
  Bytes frame = ReplyFrame(0x08, {0x00, 0x01, 0x00, 0x00, 0x01});
  frame.back() ^= 1;
  const auto reply = Send(frame);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->at(0), 0x82);
  EXPECT_EQ(violations().size(), 4u);
  // Registration without a session (and, here, still at 9600 bit/s).
  Bytes registration{0x00, 0x89, 0x00, 0x00, 0x60};
  registration.resize(5 + 0x60);
  EXPECT_NE(Clear(0x28, registration), ok);
  EXPECT_EQ(violations().size(), 6u);
  EXPECT_EQ(violations().back(), "card key registration without a session");
  // A card command without a session.
  const std::optional<Bytes> secured = Send(ReplyFrame(0x2C, Bytes(8, 0x00)));
  ASSERT_TRUE(secured.has_value());
  EXPECT_EQ(secured->at(0), 0x83);
  EXPECT_EQ(violations().size(), 7u);
}

}  // namespace
