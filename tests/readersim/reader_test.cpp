// The simulated reader driven in-process by the test host: frames, orders,
// sessions, card commands and faults, without a pseudo-terminal.
#include <gtest/gtest.h>

#include "readersim/simulated_reader.h"
#include "tests/readersim/test_host.h"

namespace {

using readersim::Bytes;
using readersim::Card;
using readersim::World;
using namespace readersim_test;

class InProcessReader : public ::testing::Test {
 protected:
  InProcessReader() : reader_(world_), host_([this](const Bytes& frame) { return Send(frame); }) {
    world_.keys = readersim::DefaultKeys();
    world_.reader.session = world_.keys.session;
    reader_.BeginHostSession();
  }

  std::optional<Bytes> Send(const Bytes& frame) {
    assembler_.Feed(frame);
    std::string problem;
    std::optional<readersim::HostFrame> parsed = assembler_.Next(problem);
    if (!problem.empty()) world_.Violation(problem);
    if (!parsed) return std::nullopt;
    return reader_.Handle(*parsed);
  }

  Card& AddCard(const std::string& name, bool place = true) {
    const readersim::Block8 idm{0x01, 0x2E, 0x10, 0x20, 0x30, 0x40, 0x50, static_cast<std::uint8_t>(name.size())};
    world_.deck.cards[name] = Card::Blank(idm, world_.keys);
    if (place) world_.deck.on_reader = name;
    return world_.deck.cards[name];
  }

  const std::vector<std::string>& violations() const { return world_.stats.violations; }

  World world_;
  readersim::SimulatedReader reader_;
  readersim::FrameAssembler assembler_;
  TestHost host_;
};

TEST(Frames, GoldenBytes) {
  EXPECT_EQ(Frame(0x08, {0x00, 0x07, 0x13, 0x00}), FromHex("08 0004 00071300 18"));
  EXPECT_EQ(readersim::BuildReply(0x00, std::vector<std::uint8_t>{0x90, 0x00}), FromHex("00 0002 9000 92"));
}

TEST(Frames, AssemblerCutsSplitAndJoinedFramesAndDropsNoise) {
  readersim::FrameAssembler assembler;
  std::string problem;
  const Bytes a = Frame(0x28, {0x00, 0x01, 0x00, 0x00});
  const Bytes b = Frame(0x08, {0x00, 0x01, 0x00, 0x00, 0x01});
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

TEST_F(InProcessReader, BlankReaderIsProvisionedOnceThenOpensFollowingTheOrders) {
  world_.reader = readersim::ReaderKeyState{};
  world_.reader.provisioned = false;
  ASSERT_TRUE(host_.Open(world_.keys));
  EXPECT_TRUE(violations().empty()) << violations().front();
  EXPECT_TRUE(world_.reader.provisioned);
  EXPECT_EQ(world_.reader.session, world_.keys.session);
  EXPECT_EQ(world_.stats.commands["reader:85"], 2);
  EXPECT_TRUE(world_.dirty);
  EXPECT_TRUE(host_.Close());
  EXPECT_EQ(reader_.speed(), 9600);

  // Then it opens as a provisioned reader: the orders, the speed, the card keys in their slots.
  reader_.BeginHostSession();
  world_.stats = {};
  ASSERT_TRUE(host_.Open(world_.keys));
  EXPECT_EQ(world_.stats.frames["link"], 2);
  EXPECT_EQ(world_.stats.frames["reader"], 7);  // 01 11 13 87 81 83 89
  EXPECT_EQ(world_.stats.commands["reader:85"], 0);
  EXPECT_EQ(reader_.speed(), 115200);
  for (int slot = 0; slot < readersim::kCardKeySlots; ++slot) {
    ASSERT_TRUE(world_.reader.slots[slot].has_value());
    EXPECT_EQ(*world_.reader.slots[slot], world_.keys.card[slot]);
  }
  EXPECT_TRUE(violations().empty());
}

TEST_F(InProcessReader, WrongKeysFailTheAuthenticationWithoutAViolation) {
  readersim::KeyConfig wrong = world_.keys;
  wrong.session[1][0] ^= 0x40;
  ASSERT_TRUE(host_.Prepare());
  EXPECT_FALSE(host_.StartSession(wrong));
  EXPECT_EQ(world_.stats.authentication_failures, 1);
  EXPECT_TRUE(violations().empty());
  // Without a session, a card command is refused and is a violation.
  EXPECT_FALSE(host_.Secured(PollingCommand()).has_value());
  EXPECT_EQ(host_.last_status(), 0x83);
  EXPECT_EQ(violations().size(), 1u);
}

TEST_F(InProcessReader, BlankReaderRefusesTheSessionSetUntilProvisioned) {
  world_.reader = readersim::ReaderKeyState{};
  world_.reader.provisioned = false;
  ASSERT_TRUE(host_.Prepare());
  ASSERT_TRUE(host_.Clear(0x28, {0x00, 0x87, 0x00, 0x00}).has_value());
  EXPECT_FALSE(host_.Authenticate(KeySet{world_.keys.session[0], world_.keys.session[1], world_.keys.session[2]}));
  EXPECT_TRUE(host_.Authenticate(std::nullopt));
}

TEST_F(InProcessReader, CardRulesAreEnforced) {
  Card& card = AddCard("user");
  ASSERT_TRUE(host_.Open(world_.keys));
  const Bytes block(16, 0xAB);

  // Write without Authenticate since the last Select keys.
  EXPECT_EQ(host_.Secured(SelectKeysCommand(2, 0)), Bytes{0x43});
  auto reply = host_.Secured(WriteCommand(card.idm, {0}, block));
  ASSERT_TRUE(reply.has_value());
  EXPECT_NE(reply->at(9), 0x00);
  EXPECT_EQ(violations().back(), "Write without Authenticate");

  // A key slot that does not hold the card's key for the service.
  EXPECT_EQ(host_.Secured(SelectKeysCommand(3, 0)), Bytes{0x43});
  reply = host_.Secured(AuthenticateCommand(card.idm, 0x6608));
  ASSERT_TRUE(reply.has_value());
  EXPECT_NE(reply->at(3), 0x00);

  // A read-only code can be read but not written.
  EXPECT_EQ(host_.Secured(SelectKeysCommand(1, 0)), Bytes{0x43});
  EXPECT_EQ(host_.Secured(AuthenticateCommand(card.idm, 0x660A))->at(3), 0x00);
  reply = host_.Secured(WriteCommand(card.idm, {0}, block));
  EXPECT_NE(reply->at(9), 0x00);
  EXPECT_EQ(card.blocks[0][0], readersim::Block16{});

  // Unregistered key slot.
  EXPECT_EQ(host_.Secured(SelectKeysCommand(12, 0)), Bytes{0x7F});

  // No card on the reader.
  world_.deck.on_reader.reset();
  EXPECT_EQ(host_.Secured(PollingCommand()), Bytes{0xEF});
  EXPECT_EQ(violations().size(), 3u);
}

TEST_F(InProcessReader, ASkippedSequenceNumberIsRefused) {
  AddCard("user");
  ASSERT_TRUE(host_.Open(world_.keys));
  ASSERT_TRUE(host_.Secured(PollingCommand()).has_value());
  // The host skips a number: the reader refuses and records it.
  host_.set_sequence(host_.sequence() + 1);
  EXPECT_FALSE(host_.Secured(PollingCommand()).has_value());
  EXPECT_EQ(host_.last_status(), 0x83);
  ASSERT_EQ(violations().size(), 1u);
  EXPECT_NE(violations()[0].find("sequence number"), std::string::npos);
}

TEST_F(InProcessReader, SessionIsRenewedAfterTheLastSequenceNumber) {
  AddCard("user");
  ASSERT_TRUE(host_.Open(world_.keys));
  host_.set_sequence(0xFFFF);
  reader_.SetSequenceForTest(0xFFFF);
  ASSERT_TRUE(host_.Secured(PollingCommand()).has_value());
  // Before a new session, card commands are refused.
  EXPECT_FALSE(host_.Secured(PollingCommand()).has_value());
  EXPECT_EQ(violations().size(), 1u);
  const readersim::Block8 old_key = host_.session_key();
  ASSERT_TRUE(host_.Clear(0x28, {0x00, 0x87, 0x00, 0x00}).has_value());
  ASSERT_TRUE(host_.Authenticate(KeySet{world_.keys.session[0], world_.keys.session[1], world_.keys.session[2]}));
  EXPECT_EQ(host_.sequence(), 1);
  EXPECT_NE(host_.session_key(), old_key);
  EXPECT_TRUE(host_.Secured(PollingCommand()).has_value());
  EXPECT_EQ(violations().size(), 1u);
}

TEST_F(InProcessReader, OrderAndFormatDeviationsAreViolations) {
  // Reader commands before the speed change, preparation out of order.
  EXPECT_TRUE(host_.ClearOk(0x28, {0x00, 0x13, 0x04, 0x05}));
  EXPECT_EQ(violations().size(), 2u);
  EXPECT_TRUE(host_.ClearOk(0x08, {0x00, 0x01, 0x00, 0x00, 0x01}));
  // A set-speed code outside the table is refused.
  EXPECT_EQ(host_.Clear(0x08, {0x00, 0x07, 0x14, 0x00}), Bytes({0x6A, 0x86}));
  EXPECT_EQ(reader_.speed(), 9600);
  EXPECT_EQ(violations().size(), 3u);
  // A bad checksum.
  Bytes frame = Frame(0x08, {0x00, 0x01, 0x00, 0x00, 0x01});
  frame.back() ^= 1;
  const auto reply = Send(frame);
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->at(0), 0x82);
  EXPECT_EQ(violations().size(), 4u);
  // Registration without a session (and, here, still at 9600 bit/s).
  EXPECT_FALSE(host_.RegisterCardKeys(world_.keys));
  EXPECT_EQ(violations().size(), 6u);
  EXPECT_EQ(violations().back(), "card key registration without a session");
}

}  // namespace
