// The simulated reader driven in-process by the test host. (Wrong keys,
// provisioning and session renewal the card library's simulator tests show.)
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

  const std::vector<std::string>& violations() const { return world_.stats.violations; }

  World world_;
  readersim::SimulatedReader reader_;
  readersim::FrameAssembler assembler_;
  TestHost host_;
};

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

TEST_F(InProcessReader, BlankReaderRefusesTheSessionSetUntilProvisioned) {
  world_.reader = readersim::ReaderKeyState{};
  world_.reader.provisioned = false;
  ASSERT_TRUE(host_.Prepare());
  ASSERT_TRUE(host_.Clear(0x28, {0x00, 0x87, 0x00, 0x00}).has_value());
  EXPECT_FALSE(host_.Authenticate(KeySet{world_.keys.session[0], world_.keys.session[1], world_.keys.session[2]}));
  EXPECT_TRUE(host_.Authenticate(std::nullopt));
}

TEST_F(InProcessReader, CardRulesAndSequenceNumbersAreEnforced) {
  Card& card = world_.deck.cards["user"] = Card::Blank({0x01, 0x2E, 0x10, 0x20, 0x30, 0x40, 0x50, 0x04}, world_.keys);
  world_.deck.on_reader = "user";
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

  // The host skips a sequence number: the reader refuses and records it.
  host_.set_sequence(host_.sequence() + 1);
  EXPECT_FALSE(host_.Secured(PollingCommand()).has_value());
  EXPECT_EQ(host_.last_status(), 0x83);
  ASSERT_EQ(violations().size(), 4u);
  EXPECT_NE(violations().back().find("sequence number"), std::string::npos);
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
  // A card command without a session.
  EXPECT_FALSE(host_.Secured(PollingCommand()).has_value());
  EXPECT_EQ(host_.last_status(), 0x83);
  EXPECT_EQ(violations().size(), 7u);
}

}  // namespace
