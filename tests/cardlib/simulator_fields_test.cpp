// The card's data items through the exports, against the simulator: every
// field written and read back, capacities, the user code's zero rule, frame
// counts per export, sensing and the card type, and writes cut short.
#include <cstring>
#include <string>

#include "tests/cardlib/export_table.h"
#include "tests/cardlib/simulator_fixture.h"

namespace {

using corvex_test::kSystemCode;
using corvex_test::SimulatorTest;
using Commands = std::map<std::string, long>;

std::string Text(std::size_t length, char first) {
  std::string text(length, ' ');
  for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(first + i % 26);
  return text;
}

class CardFields : public SimulatorTest {
 protected:
  void SetUp() override {
    SimulatorTest::SetUp();
    PlaceCard("card");
    OpenAndSense();
    ResetStats();
  }
};

// A text export pair at its exact maximum, then a buffer one byte short.
struct TextExport {
  const char* name;
  std::int32_t limit;
  std::int32_t (*write)(const char*, std::int32_t);
  std::int32_t (*read)(char*, std::int32_t*);
  const char* dump_field;
};

constexpr TextExport kTextExports[] = {
    {"user name", 64, GenWriteUserName, GenReadUserName, "user_name"},
    {"comment to user", 128, GenWriteCommentToUser, GenReadCommentFromUser, "user_comment"},
    {"admin ID on a user card", 128, GenWriteAdminIdToUser, GenReadAdminIdFromUser, "admin_id_on_user"},
    {"comment of an admin card", 128, GenWriteCommentToAdmin, GenReadCommentFromAdmin, "admin_comment"},
    {"admin ID of an admin card", 128, GenWriteAdminIdToAdmin, GenReadAdminIdFromAdmin, "admin_id"},
};

TEST_F(CardFields, TextsAtTheirLimitAndOneByteOverTheCapacity) {
  for (const TextExport& e : kTextExports) {
    const std::string text = Text(static_cast<std::size_t>(e.limit), 'a');
    ASSERT_EQ(e.write(text.data(), e.limit), CORVEX_OK) << e.name;
    EXPECT_EQ(sim().Dump("card")[e.dump_field], text) << e.name;
    char buffer[256];
    std::int32_t length = e.limit;
    ASSERT_EQ(e.read(buffer, &length), CORVEX_OK) << e.name;
    EXPECT_EQ(std::string(buffer, length), text) << e.name;
    length = e.limit - 1;
    EXPECT_EQ(e.read(buffer, &length), CORVEX_BUFFER_TOO_SMALL) << e.name;
    EXPECT_EQ(GenGetLastErrorDetail(), 0x10020000) << e.name;
    ASSERT_EQ(e.write(nullptr, 0), CORVEX_OK) << e.name;
    length = sizeof buffer;
    ASSERT_EQ(e.read(buffer, &length), CORVEX_OK) << e.name;
    EXPECT_EQ(length, 0) << e.name << ": a length of 0 clears the field";
  }

  const std::string id = Text(128, 'A');
  const std::string password = Text(256, 'a');
  ASSERT_EQ(GenWriteUserAccount(id.data(), 128, password.data(), 256), CORVEX_OK);
  char id_out[128];
  char password_out[256];
  std::int32_t id_length = sizeof id_out;
  std::int32_t password_length = sizeof password_out;
  ASSERT_EQ(GenReadUserAccount(id_out, &id_length, password_out, &password_length), CORVEX_OK);
  EXPECT_EQ(std::string(id_out, id_length), id);
  EXPECT_EQ(std::string(password_out, password_length), password);

  id_length = sizeof id_out;
  password_length = 255;
  EXPECT_EQ(GenReadUserAccount(id_out, &id_length, password_out, &password_length), CORVEX_BUFFER_TOO_SMALL);
  EXPECT_EQ(id_length, 128) << "the user ID is stored before the password fails";
}

TEST_F(CardFields, NumbersAndDatesAtTheirLimits) {
  ASSERT_EQ(GenWriteIssueInfo(65535, 3000, 12, 31), CORVEX_OK);
  std::int32_t count = -1, year = -1, month = -1, day = -1;
  ASSERT_EQ(GenReadIssueInfo(&count, &year, &month, &day), CORVEX_OK);
  EXPECT_EQ(count, 65535);
  EXPECT_EQ(year * 10000 + month * 100 + day, 30001231);
  EXPECT_EQ(sim().Dump("card")["issue_count"], 65535);

  ASSERT_EQ(GenWriteExpireDate(0, 0, 0), CORVEX_OK);
  ASSERT_EQ(GenReadExpireDate(&year, &month, &day), CORVEX_OK);
  EXPECT_EQ(year + month + day, 0);
  ASSERT_EQ(GenWriteExpireDate(2999, 2, 28), CORVEX_OK);
  ASSERT_EQ(GenReadExpireDate(&year, &month, &day), CORVEX_OK);
  EXPECT_EQ(year * 10000 + month * 100 + day, 29990228);

  ASSERT_EQ(GenWriteUserConfig(300, -1), CORVEX_OK);
  std::uint8_t first = 0, second = 0;
  ASSERT_EQ(GenReadUserConfig(&first, &second), CORVEX_OK);
  EXPECT_EQ(first, 44) << "the low byte of 300";
  EXPECT_EQ(second, 0xFF);
  ASSERT_EQ(GenWriteTransactionStatus(0x1A5), CORVEX_OK);
  std::uint8_t status = 0;
  ASSERT_EQ(GenReadTransactionStatus(&status), CORVEX_OK);
  EXPECT_EQ(status, 0xA5);

  std::int32_t previous = -1, current = -1;
  ASSERT_EQ(GenWritePreCharge(99999, 1), CORVEX_OK);
  ASSERT_EQ(GenReadPreCharge(&previous, &current), CORVEX_OK);
  EXPECT_EQ(std::make_pair(previous, current), std::make_pair(99999, 1));
  ASSERT_EQ(GenWriteUserCharge(5, 99999), CORVEX_OK);
  ASSERT_EQ(GenReadUserCharge(&previous, &current), CORVEX_OK);
  EXPECT_EQ(std::make_pair(previous, current), std::make_pair(5, 99999));
  ASSERT_EQ(GenWriteChargeUpperLimit(99999), CORVEX_OK);
  std::int32_t limit = 0;
  ASSERT_EQ(GenReadChargeUpperLimit(&limit), CORVEX_OK);
  EXPECT_EQ(limit, 99999);
  EXPECT_EQ(sim().Dump("card")["charge_upper_limit"], "9F860100");

  // The last charge and payment keep date, amount and text.
  struct Pair {
    std::int32_t (*write)(std::int32_t, std::int32_t, std::int32_t, std::int32_t, const char*, std::int32_t);
    std::int32_t (*read)(std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*, char*, std::int32_t*);
  };
  for (const Pair& p :
       {Pair{GenWriteLastUserCharge, GenReadLastUserCharge}, Pair{GenWriteLastUserPayment, GenReadLastUserPayment}}) {
    const std::string text = Text(16, 'k');
    ASSERT_EQ(p.write(2024, 2, 29, 12345, text.data(), 16), CORVEX_OK);
    std::int32_t amount = 0;
    year = month = day = 0;
    char out[16];
    std::int32_t length = 16;
    ASSERT_EQ(p.read(&year, &month, &day, &amount, out, &length), CORVEX_OK);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20240229);
    EXPECT_EQ(amount, 12345);
    EXPECT_EQ(std::string(out, length), text);
    length = 15;
    EXPECT_EQ(p.read(&year, &month, &day, &amount, out, &length), CORVEX_BUFFER_TOO_SMALL);
  }
}

// A user code of zeros is no code; the card type looks at the administrator
// ID first, then the user ID, then the user code.
TEST_F(CardFields, UserCodeAndCardType) {
  std::int32_t type = -1;
  ASSERT_EQ(GenGetCardType(&type), CORVEX_OK);
  EXPECT_EQ(type, CORVEX_CARD_BLANK);
  std::uint8_t code[4] = {9, 9, 9, 9};
  std::int32_t length = 4;
  ASSERT_EQ(GenReadUserCode(code, &length), CORVEX_OK);
  EXPECT_EQ(length, 0);
  const std::uint8_t written[4] = {0x00, 0x12, 0x00, 0x00};
  ASSERT_EQ(GenWriteUserCode(written, 4), CORVEX_OK);
  length = 8;
  ASSERT_EQ(GenReadUserCode(code, &length), CORVEX_OK);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(std::memcmp(code, written, 4), 0);
  length = 3;
  EXPECT_EQ(GenReadUserCode(code, &length), CORVEX_BUFFER_TOO_SMALL);
  const std::uint8_t short_code[2] = {0x00, 0x00};
  ASSERT_EQ(GenWriteUserCode(short_code, 2), CORVEX_OK);
  length = 4;
  ASSERT_EQ(GenReadUserCode(code, &length), CORVEX_OK);
  EXPECT_EQ(length, 0);

  const std::uint8_t nonzero[4] = {1, 2, 3, 4};
  ASSERT_EQ(GenWriteUserCode(nonzero, 4), CORVEX_OK);
  ASSERT_EQ(GenGetCardType(&type), CORVEX_OK);
  EXPECT_EQ(type, CORVEX_CARD_CODE_ONLY);
  ASSERT_EQ(GenWriteUserAccount("u", 1, nullptr, 0), CORVEX_OK);
  ASSERT_EQ(GenGetCardType(&type), CORVEX_OK);
  EXPECT_EQ(type, CORVEX_CARD_USER);
  ASSERT_EQ(GenWriteAdminIdToAdmin("boss", 4), CORVEX_OK);
  ResetStats();
  ASSERT_EQ(GenGetCardType(&type), CORVEX_OK);
  EXPECT_EQ(type, CORVEX_CARD_ADMIN);
  EXPECT_EQ(CardCommands(), (Commands{{"42", 1}, {"56", 1}})) << "no user field is read";
}

TEST_F(CardFields, SensingRemembersItsListAndReportsTheCard) {
  std::int32_t present = -1;
  ASSERT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_OK) << "the same list as the fixture's sense";
  EXPECT_EQ(present, 1);
  EXPECT_EQ(CardCommands(), (Commands{{"04", 1}})) << "Request response, no polling";

  std::uint8_t id[8];
  std::uint8_t parameters[8];
  std::int32_t id_length = 8, parameters_length = 8;
  ASSERT_EQ(GenGetCardInfo(id, &id_length, parameters, &parameters_length), CORVEX_OK);
  const std::string idm = nlohmann::json::parse(sim().Ctl("dump card").second)["idm"];
  char hex[17];
  for (int i = 0; i < 8; ++i) std::snprintf(hex + 2 * i, 3, "%02X", id[i]);
  EXPECT_EQ(std::string(hex), idm);

  const std::uint8_t several[6] = {0xFE, 0x00, 0x81, 0x65, 0x12, 0x34};
  ResetStats();
  ASSERT_EQ(GenSenseCard(&present, several, 3), CORVEX_OK);
  EXPECT_EQ(present, 1);
  EXPECT_EQ(CardCommands(), (Commands{{"60", 1}})) << "a new list polls, with several codes";

  ASSERT_TRUE(sim().Do("remove"));
  EXPECT_EQ(GenGetCardInfo(id, &id_length, parameters, &parameters_length), CORVEX_NO_CARD);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x10000005);
  ASSERT_EQ(GenSenseCard(&present, several, 3), CORVEX_OK);
  EXPECT_EQ(present, 0);
  char name[64];
  std::int32_t length = sizeof name;
  EXPECT_EQ(GenReadUserName(name, &length), CORVEX_NO_CARD);
}

// The card commands each export sends on a blank card, where each succeeds
// (or finds no PIN). A field is read in pairs of select and read per 12
// blocks, written with one select, one authenticate and one write per 8.
const Commands kReadsOneField = {{"42", 1}, {"56", 1}};
const Commands kWritesOneField = {{"42", 1}, {"52", 1}, {"16", 1}};
const Commands kUpdatesOneField = {{"42", 2}, {"56", 1}, {"52", 1}, {"16", 1}};

// The exports that do not read or write just one small field; every other
// GenRead... reads one, every other GenWrite... writes one.
const std::map<std::string, Commands> kCommandsOtherThanOneField = {
    {"GenSenseCard", {{"60", 1}}},
    {"GenGetCardInfo", {{"04", 1}}},
    {"GenGetCardType", {{"42", 5}, {"56", 5}}},
    {"GenGetMaxLength", {}},
    {"GenGetMaxLengthEx", {}},
    {"GenSetAllKey", {}},
    {"GenInitializeCard", {{"42", 23}, {"52", 21}, {"56", 2}, {"16", 22}}},
    {"GenReadUserAccount", {{"42", 3}, {"56", 3}}},
    {"GenWriteUserAccount", {{"42", 2}, {"52", 2}, {"16", 3}}},
    {"GenWriteRetryLimit", kUpdatesOneField},
    {"GenReadIssueInfo", {{"42", 2}, {"56", 2}}},
    {"GenWriteIssueInfo", {{"42", 2}, {"52", 2}, {"16", 2}}},
    {"GenVerifyPIN", kReadsOneField},
    {"GenIncrementRetryCounter", kUpdatesOneField},
    {"GenResetRetryCounter", kUpdatesOneField},
    {"GenChargePreCharge", kUpdatesOneField},
    {"GenChargeUserCharge", {{"42", 4}, {"56", 2}, {"52", 2}, {"16", 2}}},
};

Commands ExpectedCommands(const std::string& name) {
  if (const auto row = kCommandsOtherThanOneField.find(name); row != kCommandsOtherThanOneField.end()) {
    return row->second;
  }
  if (name.rfind("GenRead", 0) == 0) return kReadsOneField;
  if (name.rfind("GenWrite", 0) == 0) return kWritesOneField;
  ADD_FAILURE() << name << " has no row";
  return {};
}

TEST_F(CardFields, EachExportSendsTheCommandsItsFieldsTake) {
  int round = 0;
  for (const testing_support::ExportCase& c : testing_support::ExportCases()) {
    if (c.when_open == testing_support::WhenOpen::Special) continue;
    PlaceCard("blank" + std::to_string(++round));
    std::int32_t present = 0;
    ASSERT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_OK);
    ResetStats();
    const std::int32_t status = c.valid();
    EXPECT_TRUE(testing_support::AcceptableInOrder(c.name, status))
        << c.name << " status " << std::hex << status << " detail " << GenGetLastErrorDetail();
    EXPECT_EQ(CardCommands(), ExpectedCommands(c.name)) << c.name;
  }
}

TEST_F(CardFields, CardLeavesInTheMiddleOfAWrite) {
  const std::string password = Text(256, 'a');
  ASSERT_TRUE(sim().Do("fault remove-after-writes 2"));
  EXPECT_EQ(GenWriteUserAccount("id", 2, password.data(), 256), CORVEX_NO_CARD);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x80400EF);
  const nlohmann::json fields = sim().Dump("card");
  EXPECT_EQ(fields["user_id"], "id");
  EXPECT_EQ(fields["password"], password.substr(0, 128)) << "the first chunk stays written";
}

}  // namespace
