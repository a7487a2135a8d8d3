// PIN verification with its retry counter, initialisation and the charges,
// through the exports against the simulator.
#include <string>

#include "tests/cardlib/simulator_fixture.h"

namespace {

using corvex_test::SimulatorTest;
using Commands = std::map<std::string, long>;

class PinAndCharges : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    PlaceCard("card");
    OpenAndSense();
  }

  struct Settings {
    std::int32_t present = -1, check = -1, limit = -1, count = -1;
    std::string pin;
  };
  Settings Read() {
    Settings s;
    char pin[16];
    std::int32_t length = sizeof pin;
    EXPECT_EQ(GenReadPINSettings(&s.present, &s.check, &s.limit, &s.count, pin, &length), CORVEX_OK);
    s.pin.assign(pin, static_cast<std::size_t>(length));
    return s;
  }
  // Sets limit and count directly: count wrong attempts.
  void Arrange(const std::string& pin, std::int32_t limit, std::int32_t count) {
    ASSERT_EQ(GenWritePIN(pin.data(), static_cast<std::int32_t>(pin.size())), CORVEX_OK);
    ASSERT_EQ(GenWriteRetryLimit(limit), CORVEX_OK);
    ASSERT_EQ(GenResetRetryCounter(), CORVEX_OK);
    for (std::int32_t i = 0; i < count; ++i) ASSERT_EQ(GenIncrementRetryCounter(), CORVEX_OK);
  }
};

TEST_F(PinAndCharges, NoPinOnABlankCardThenWrongPinsLockAtTheLimit) {
  Settings s = Read();
  EXPECT_EQ(s.present, 0);
  EXPECT_EQ(s.check, 1);
  EXPECT_EQ(s.limit, -1) << "left as it was";
  EXPECT_EQ(s.pin, "");
  EXPECT_EQ(GenVerifyPIN("", 0), CORVEX_NO_PIN);

  Arrange("1234", 3, 2);
  s = Read();
  EXPECT_EQ(s.present, 1);
  EXPECT_EQ(s.limit, 3);
  EXPECT_EQ(s.count, 2);
  EXPECT_EQ(s.pin, "1234");

  EXPECT_EQ(GenVerifyPIN("9999", 4), CORVEX_WRONG_PIN_NOW_LOCKED);
  EXPECT_EQ(Read().count, 3);
  ResetStats();
  EXPECT_EQ(GenVerifyPIN("1234", 4), CORVEX_PIN_LOCKED);
  EXPECT_EQ(CardCommands().count("16"), 0u) << "nothing is written to a locked PIN";
  EXPECT_EQ(Read().count, 3);

  ASSERT_EQ(GenWriteRetryLimit(4), CORVEX_OK) << "a higher limit unlocks";
  EXPECT_EQ(GenVerifyPIN("1234", 4), CORVEX_OK);
  EXPECT_EQ(Read().count, 0) << "a correct PIN resets the count";
}

TEST_F(PinAndCharges, WithoutALimitTheCountStopsAt255AndANewLimitOrPinKeepsIt) {
  Arrange("123456", 0, 253);
  EXPECT_EQ(GenVerifyPIN("123", 3), CORVEX_WRONG_PIN);
  EXPECT_EQ(GenVerifyPIN("1234567", 7), CORVEX_WRONG_PIN);
  EXPECT_EQ(Read().count, 255);
  ASSERT_EQ(GenIncrementRetryCounter(), CORVEX_OK);
  EXPECT_EQ(Read().count, 255);
  EXPECT_EQ(GenVerifyPIN("123456", 6), CORVEX_OK);

  // A new limit keeps the count, and an empty PIN clears both.
  Arrange("0000", 5, 4);
  ASSERT_EQ(GenWriteRetryLimit(9), CORVEX_OK);
  EXPECT_EQ(Read().count, 4);
  const std::string sixteen = "0123456789abcdef";
  ASSERT_EQ(GenWritePIN(sixteen.data(), 16), CORVEX_OK);
  Settings s = Read();
  EXPECT_EQ(s.pin, sixteen);
  EXPECT_EQ(s.limit, 9) << "a new PIN keeps limit and count";
  EXPECT_EQ(s.count, 4);
  char pin[16];
  std::int32_t length = 15;
  std::int32_t a, b, c, d;
  EXPECT_EQ(GenReadPINSettings(&a, &b, &c, &d, pin, &length), CORVEX_BUFFER_TOO_SMALL);

  ASSERT_EQ(GenWritePIN(nullptr, 0), CORVEX_OK);
  const nlohmann::json fields = sim().Dump("card");
  EXPECT_EQ(fields["pin"], "");
  EXPECT_EQ(fields["retry_limit"], "00");
  EXPECT_EQ(fields["retry_count"], "00");
}

TEST_F(PinAndCharges, InitialisingAFullCardLeavesABlankOneAndStopsAtAFailure) {
  const std::string id(128, 'i');
  const std::string password(256, 'p');
  ASSERT_EQ(GenWriteUserAccount(id.data(), 128, password.data(), 256), CORVEX_OK);
  ASSERT_EQ(GenWriteUserName("name", 4), CORVEX_OK);
  Arrange("7777", 3, 1);
  ASSERT_EQ(GenWriteCommentToUser("c", 1), CORVEX_OK);
  ASSERT_EQ(GenWriteAdminIdToUser("a", 1), CORVEX_OK);
  ASSERT_EQ(GenWriteCommentToAdmin("c", 1), CORVEX_OK);
  ASSERT_EQ(GenWriteAdminIdToAdmin("a", 1), CORVEX_OK);
  ASSERT_EQ(GenWriteIssueInfo(3, 2024, 5, 6), CORVEX_OK);
  const std::uint8_t code[4] = {1, 2, 3, 4};
  ASSERT_EQ(GenWriteUserCode(code, 4), CORVEX_OK);
  ASSERT_EQ(GenWriteExpireDate(2030, 1, 1), CORVEX_OK);
  ASSERT_EQ(GenWriteUserConfig(1, 2), CORVEX_OK);
  ASSERT_EQ(GenWritePreCharge(1, 2), CORVEX_OK);
  ASSERT_EQ(GenWriteUserCharge(3, 4), CORVEX_OK);
  ASSERT_EQ(GenWriteChargeUpperLimit(5), CORVEX_OK);
  ASSERT_EQ(GenWriteLastUserCharge(2024, 1, 1, 6, "t", 1), CORVEX_OK);
  ASSERT_EQ(GenWriteLastUserPayment(2024, 1, 1, 7, "u", 1), CORVEX_OK);
  ASSERT_EQ(GenWriteTransactionStatus(8), CORVEX_OK);

  ASSERT_EQ(GenInitializeCard(), CORVEX_OK);
  std::int32_t type = -1;
  ASSERT_EQ(GenGetCardType(&type), CORVEX_OK);
  EXPECT_EQ(type, CORVEX_CARD_BLANK);
  ASSERT_TRUE(sim().Do("create blank blank"));
  EXPECT_EQ(sim().Dump("card"), sim().Dump("blank")) << "every field is empty";

  ASSERT_EQ(GenInitializeCard(), CORVEX_OK) << "and again, on the blank card";
  EXPECT_EQ(sim().Dump("card"), sim().Dump("blank"));

  // Initialising stops at the first failure.
  ASSERT_EQ(GenWriteUserName("name", 4), CORVEX_OK);
  ASSERT_EQ(GenWriteTransactionStatus(8), CORVEX_OK);
  ASSERT_TRUE(sim().Do("fault remove-after-writes 3"));
  EXPECT_EQ(GenInitializeCard(), CORVEX_NO_CARD);
  const nlohmann::json fields = sim().Dump("card");
  EXPECT_EQ(fields["user_name"], "name") << "the card left after the account's three writes";
  EXPECT_EQ(fields["transaction_status"], "08");
}

TEST_F(PinAndCharges, ChargesStopAtTheirLimits) {
  std::int32_t total = -1;
  ASSERT_EQ(GenWritePreCharge(0, 99998), CORVEX_OK);
  ASSERT_EQ(GenChargePreCharge(1, &total), CORVEX_OK);
  EXPECT_EQ(total, 99999);
  std::int32_t previous = -1, current = -1;
  ASSERT_EQ(GenReadPreCharge(&previous, &current), CORVEX_OK);
  EXPECT_EQ(previous, 99998);
  EXPECT_EQ(current, 99999);
  ResetStats();
  EXPECT_EQ(GenChargePreCharge(1, &total), CORVEX_CHARGE_LIMIT);
  EXPECT_EQ(total, 99999);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x10080000);
  EXPECT_EQ(CardCommands().count("16"), 0u);

  std::int32_t limit = -1;
  ASSERT_EQ(GenWriteChargeUpperLimit(500), CORVEX_OK);
  ASSERT_EQ(GenWriteUserCharge(0, 400), CORVEX_OK);
  EXPECT_EQ(GenChargeUserCharge(101, 2024, 3, 4, "shop", 4, &total, &limit), CORVEX_CHARGE_LIMIT);
  EXPECT_EQ(total, 400);
  EXPECT_EQ(limit, 500);
  ASSERT_EQ(GenChargeUserCharge(100, 2024, 3, 4, "shop", 4, &total, &limit), CORVEX_OK);
  EXPECT_EQ(total, 500);
  EXPECT_EQ(limit, 500);
  std::int32_t year, month, day, amount;
  char text[16];
  std::int32_t length = sizeof text;
  ASSERT_EQ(GenReadLastUserCharge(&year, &month, &day, &amount, text, &length), CORVEX_OK);
  EXPECT_EQ(amount, 100);
  EXPECT_EQ(std::string(text, length), "shop");
  ASSERT_EQ(GenReadUserCharge(&previous, &current), CORVEX_OK);
  EXPECT_EQ(previous, 400);
  EXPECT_EQ(current, 500);

  ASSERT_EQ(GenWriteChargeUpperLimit(0), CORVEX_OK);
  ASSERT_EQ(GenWriteUserCharge(0, 99998), CORVEX_OK);
  EXPECT_EQ(GenChargeUserCharge(2, 2024, 3, 4, "x", 1, &total, &limit), CORVEX_CHARGE_LIMIT)
      << "without a limit, 99999 is the ceiling";
  EXPECT_EQ(GenChargeUserCharge(1, 2024, 3, 4, "x", 1, &total, &limit), CORVEX_OK);
  EXPECT_EQ(total, 99999);
  EXPECT_EQ(limit, 0);
}

}  // namespace
