// Opening the reader's secured session against the simulator: a provisioned
// and a blank reader, wrong reader keys, and the faults of the line and of
// the secured exchange during card work.
#include <chrono>
#include <thread>

#include "tests/cardlib/export_table.h"
#include "tests/cardlib/simulator_fixture.h"
#include "tests/support/environment.h"

namespace {

using corvex_test::kSystemCode;
using corvex_test::SimulatorTest;

class SecuredSession : public SimulatorTest {
 protected:
  long ReaderCommand(const char* code) const {
    const nlohmann::json commands = sim().Stats()["commands"];
    const std::string name = std::string("reader:") + code;
    return commands.contains(name) ? commands[name].get<long>() : 0;
  }
  long BytesIn() const { return sim().Stats()["bytes_in"].get<long>(); }
};

TEST_F(SecuredSession, ProvisionedReaderTakesOneAuthenticationAndTheCardKeys) {
  PlaceCard("alice", "user alice secret");
  ASSERT_EQ(GenOpenDevice(nullptr, sim().link().c_str()), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  EXPECT_EQ(ReaderCommand("87"), 1);
  EXPECT_EQ(ReaderCommand("81"), 1);
  EXPECT_EQ(ReaderCommand("83"), 1);
  EXPECT_EQ(ReaderCommand("89"), 1);
  EXPECT_EQ(ReaderCommand("85"), 0);

  const long before = BytesIn();
  EXPECT_EQ(GenSetAllKey(), CORVEX_OK);
  EXPECT_EQ(BytesIn(), before) << "the keys were registered while opening";

  std::int32_t present = 0;
  ASSERT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_OK);
  char id[128];
  std::int32_t id_length = sizeof id;
  char password[256];
  std::int32_t password_length = sizeof password;
  ASSERT_EQ(GenReadUserAccount(id, &id_length, password, &password_length), CORVEX_OK);
  EXPECT_EQ(std::string(id, id_length), "alice");
  EXPECT_EQ(std::string(password, password_length), "secret");
  EXPECT_EQ(GenCloseDevice(), CORVEX_OK);
  EXPECT_EQ(GenSetAllKey(), CORVEX_NOT_OPEN);
}

TEST_F(SecuredSession, SecondOpenIsRefusedAndSuccessesKeepTheLastFailure) {
  EXPECT_EQ(GenOpenDevice("pr300", nullptr), CORVEX_READER_NOT_FOUND);
  ASSERT_EQ(GenOpenDevice("PR300", sim().link().c_str()), CORVEX_OK);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x8000004);
  const long before = BytesIn();
  EXPECT_EQ(GenOpenDevice(nullptr, sim().link().c_str()), CORVEX_ALREADY_OPEN);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x10000100);
  EXPECT_EQ(BytesIn(), before) << "a second open sends nothing";
  for (const auto& c : testing_support::ExportCases()) {
    for (const auto& invalid : c.invalid) EXPECT_EQ(invalid(), CORVEX_INVALID_ARGUMENT) << c.name;
  }
  EXPECT_EQ(BytesIn(), before) << "refused arguments send nothing";
}

TEST_F(SecuredSession, UsbReaderUnpluggedBeforeASense) {
  testing_support::TempDir dir;
  testing_support::ScopedEnvironment registry("PELLAM_REGISTRY", dir.file("registry.reg"));
  const std::string usb =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1\\2]\n"
      "\"DeviceDesc\"=\"DENSO WAVE USB Device (COM5)\"\n"
      "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
      sim().link() + "\"=\"COM5\"\n";
  const std::string header = "Windows Registry Editor Version 5.00\n\n";
  testing_support::WriteBytes(
      dir.file("registry.reg"),
      header + "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\dwusb\\Enum]\n\"0\"=\"USB\\\\VID_1\\\\2\"\n" +
          usb);
  PlaceCard("card");
  ASSERT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  std::int32_t present = -1;
  ASSERT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_OK);
  EXPECT_EQ(present, 1);

  testing_support::WriteBytes(dir.file("registry.reg"), header + usb);  // the driver's instance is gone
  const long before = BytesIn();
  present = -1;
  EXPECT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x8000004);
  EXPECT_EQ(present, -1);
  EXPECT_EQ(BytesIn(), before) << "reported before anything is sent";
}

TEST_F(SecuredSession, BlankReaderIsProvisionedThenServes) {
  ASSERT_TRUE(sim().Do("reader blank"));
  PlaceCard("blank");
  OpenAndSense();
  EXPECT_EQ(ReaderCommand("85"), 2) << "provisioning start and the session keys";
  EXPECT_EQ(ReaderCommand("81"), 3) << "clear, provisioning and session authentications";
  std::int32_t type = -1;
  EXPECT_EQ(GenGetCardType(&type), CORVEX_OK);
  EXPECT_EQ(type, CORVEX_CARD_BLANK);
  ASSERT_EQ(GenCloseDevice(), CORVEX_OK);

  ResetStats();
  ASSERT_EQ(GenOpenDevice(nullptr, sim().link().c_str()), CORVEX_OK);
  EXPECT_EQ(ReaderCommand("85"), 0) << "provisioned now";
}

TEST_F(SecuredSession, WrongReaderKeysLeaveTheLibraryClosed) {
  ASSERT_TRUE(sim().Do("reader keys 0102030405060708 1112131415161718 2122232425262728"));
  EXPECT_EQ(GenOpenDevice(nullptr, sim().link().c_str()), CORVEX_READER_NOT_FOUND);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2116982) << "the reader's refusal of the proof, while opening";
  EXPECT_EQ(ReaderCommand("89"), 0) << "no keys go to a reader that failed the authentication";
  EXPECT_EQ(sim().Stats()["commands"]["link:07"], 2) << "asked back to 9600 bit/s";
  EXPECT_EQ(GenSetAllKey(), CORVEX_NOT_OPEN);
  ASSERT_TRUE(sim().Do("reader provisioned"));
  EXPECT_EQ(GenOpenDevice(nullptr, sim().link().c_str()), CORVEX_OK) << "the port was closed again";
}

// A reply with a wrong sequence number, none, or one too late fails its
// call; the next call starts a new session and succeeds.
TEST_F(SecuredSession, LostReplyFailsOnlyItsOwnCall) {
  struct Case {
    const char* fault;
    std::int32_t status;
    std::int32_t detail;
    int settle_ms;  // until the late reply has come
  };
  const Case cases[] = {
      {"fault badseq", CORVEX_PROTOCOL_FAILURE, 0x2001200, 0},
      {"fault noreply", CORVEX_PORT_FAILURE, 0x2000019, 0},
      {"fault delay 1500", CORVEX_PORT_FAILURE, 0x2000019, 500},
  };
  PlaceCard("card", "user alice secret");
  OpenAndSense();
  for (const Case& c : cases) {
    ASSERT_TRUE(sim().Do(c.fault));
    char name[64];
    std::int32_t length = sizeof name;
    EXPECT_EQ(GenReadUserName(name, &length), c.status) << c.fault;
    EXPECT_EQ(GenGetLastErrorDetail(), c.detail) << c.fault;
    std::this_thread::sleep_for(std::chrono::milliseconds(c.settle_ms));
    const long sessions = ReaderCommand("87");
    char id[128] = {};
    std::int32_t id_length = sizeof id;
    char password[256] = {};
    std::int32_t password_length = sizeof password;
    EXPECT_EQ(GenReadUserAccount(id, &id_length, password, &password_length), CORVEX_OK) << c.fault;
    EXPECT_EQ(std::string(password, password_length), "secret") << c.fault;
    EXPECT_EQ(ReaderCommand("87"), sessions + 1) << c.fault << ": a new session first";
  }
}

TEST_F(SecuredSession, BusyReaderGetsOneResend) {
  PlaceCard("card");
  OpenAndSense();
  ASSERT_TRUE(sim().Do("fault status80 1"));
  EXPECT_EQ(GenWriteUserName("Bob", 3), CORVEX_OK);
  EXPECT_EQ(sim().Dump("card")["user_name"], "Bob");

  ASSERT_TRUE(sim().Do("fault status80 2"));
  EXPECT_EQ(GenWriteUserName("Eve", 3), CORVEX_READER_STATUS);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000100);
  EXPECT_EQ(sim().Dump("card")["user_name"], "Bob");
  EXPECT_EQ(GenWriteUserName("Eve", 3), CORVEX_OK) << "the session survived";
}

TEST_F(SecuredSession, SplitReplyIsAssembled) {
  PlaceCard("card", "admin ADMIN7");
  OpenAndSense();
  ASSERT_TRUE(sim().Do("fault split 4 20"));
  char id[128];
  std::int32_t length = sizeof id;
  ASSERT_EQ(GenReadAdminIdFromAdmin(id, &length), CORVEX_OK);
  EXPECT_EQ(std::string(id, length), "ADMIN7");
}

TEST_F(SecuredSession, ReaderVanishesDuringCardWork) {
  PlaceCard("card");
  OpenAndSense();
  ASSERT_TRUE(sim().Do("fault vanish"));
  char name[64];
  std::int32_t length = sizeof name;
  EXPECT_EQ(GenReadUserName(name, &length), CORVEX_PORT_FAILURE);
  GenCloseDevice();
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);
  // The reader comes back at the same link.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  OpenAndSense();
}

}  // namespace
