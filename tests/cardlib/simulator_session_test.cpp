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
    return sim().Stats()["commands"].value("reader:" + std::string(code), 0L);
  }
  long BytesIn() const { return sim().Stats()["bytes_in"].get<long>(); }
};

TEST_F(SecuredSession, ProvisionedReaderTakesOneAuthenticationAndTheCardKeys) {
  PlaceCard("alice", "user alice secret");
  EXPECT_EQ(GenOpenDevice("pr300", nullptr), CORVEX_READER_NOT_FOUND);
  ASSERT_EQ(GenOpenDevice("PR300", sim().link().c_str()), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  EXPECT_EQ(GenGetLastErrorDetail(), 0x8000004) << "a success keeps the last failure";
  for (const char* code : {"87", "81", "83", "89"}) EXPECT_EQ(ReaderCommand(code), 1) << code;
  EXPECT_EQ(ReaderCommand("85"), 0);

  const long before = BytesIn();
  EXPECT_EQ(GenSetAllKey(), CORVEX_OK) << "the keys were registered while opening";
  EXPECT_EQ(GenOpenDevice(nullptr, sim().link().c_str()), CORVEX_ALREADY_OPEN);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x10000100);
  for (const auto& c : testing_support::ExportCases()) {
    for (const auto& invalid : c.invalid) EXPECT_EQ(invalid(), CORVEX_INVALID_ARGUMENT) << c.name;
  }
  EXPECT_EQ(BytesIn(), before) << "none of these sends anything";

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

TEST_F(SecuredSession, UsbReaderUnpluggedBeforeASense) {
  testing_support::TempDir dir;
  testing_support::ScopedEnvironment registry("PELLAM_REGISTRY", dir.file("registry.reg"));
  const std::string usb =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1\\2]\n"
      "\"DeviceDesc\"=\"DENSO WAVE USB Device (COM5)\"\n"
      "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
      sim().link() + "\"=\"COM5\"\n";
  const std::string service =
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\dwusb\\Enum]\n\"0\"=\"USB\\\\VID_1\\\\2\"\n";
  testing_support::WriteBytes(dir.file("registry.reg"), usb + service);
  PlaceCard("card");
  ASSERT_EQ(GenOpenDevice("PR300", nullptr), CORVEX_OK) << std::hex << GenGetLastErrorDetail();
  std::int32_t present = -1;
  ASSERT_EQ(GenSenseCard(&present, kSystemCode, 1), CORVEX_OK);
  EXPECT_EQ(present, 1);

  testing_support::WriteBytes(dir.file("registry.reg"), usb);  // the driver's instance is gone
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

// A reply in pieces, or one resend for a busy reader, is no failure. A reply
// with a wrong sequence number, none, one too late, or a reader busy twice
// fails its call; the next call starts a new session and succeeds.
TEST_F(SecuredSession, LineFaultsFailAtMostTheirOwnCall) {
  struct Case {
    const char* fault;
    std::int32_t status;
    std::int32_t detail;
    int settle_ms;  // until the late reply has come
  };
  const Case cases[] = {
      {"fault split 4 20", CORVEX_OK, 0, 0},
      {"fault status80 1", CORVEX_OK, 0, 0},
      {"fault status80 2", CORVEX_READER_STATUS, 0x2000100, 0},
      {"fault badseq", CORVEX_PROTOCOL_FAILURE, 0x2001200, 0},
      {"fault noreply", CORVEX_PORT_FAILURE, 0x2000019, 0},
      {"fault delay 1500", CORVEX_PORT_FAILURE, 0x2000019, 500},
  };
  PlaceCard("card", "user alice secret");
  OpenAndSense();
  const auto read_password = [](std::string& password) {
    char id[128] = {};
    std::int32_t id_length = sizeof id;
    char text[256] = {};
    std::int32_t length = sizeof text;
    const std::int32_t status = GenReadUserAccount(id, &id_length, text, &length);
    password.assign(text, status == CORVEX_OK ? length : 0);
    return status;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    ASSERT_TRUE(sim().Do(c.fault));
    const long sessions = ReaderCommand("87");
    std::string password;
    EXPECT_EQ(read_password(password), c.status);
    if (c.status != CORVEX_OK) {
      EXPECT_EQ(GenGetLastErrorDetail(), c.detail);
      std::this_thread::sleep_for(std::chrono::milliseconds(c.settle_ms));
      EXPECT_EQ(read_password(password), CORVEX_OK);
    }
    EXPECT_EQ(password, "secret");
    EXPECT_EQ(ReaderCommand("87"), sessions + (c.status == CORVEX_OK ? 0 : 1)) << "a new session after a failure";
  }
}

TEST_F(SecuredSession, ReaderVanishesDuringCardWork) {
  PlaceCard("card");
  OpenAndSense();
  ASSERT_TRUE(sim().Do("fault vanish"));
  char name[64];
  std::int32_t length = sizeof name;
  EXPECT_EQ(GenReadUserName(name, &length), CORVEX_PORT_FAILURE);
  EXPECT_EQ(GenGetLastErrorDetail(), 0x2000018) << "the command cannot be written";
  GenCloseDevice();
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN);
  // The reader comes back at the same link.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  OpenAndSense();
}

}  // namespace
