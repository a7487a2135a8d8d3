// The library under Wine on a COM port that is a pseudo-terminal answered by
// the scripted peer of wine_com_harness, which checks the line, or by the
// reader simulator, whose statistics and cards the harness checks. Each test
// is one scenario of the harness and runs alone on a fresh line, so this
// program only makes sense under the harness. The reader is found through
// registry entries the first test writes into its own Wine prefix. The
// library is loaded by hand so that the last test can unload it. (A busy port
// is tested natively only: Wine lets a second CreateFileA with share mode 0
// open a serial device that is already open.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr const char* kServiceEnum = "SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum";
constexpr const char* kService = "SYSTEM\\CurrentControlSet\\Services\\D_SER2_A";
constexpr const char* kInstance = "USB\\VID_0000&PID_0000\\PELLAMTEST";
constexpr const char* kInstanceKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\PELLAMTEST";

std::string ComPort() {
  const char* port = std::getenv("PELLAM_TEST_COM_PORT");
  return port != nullptr ? port : "";
}

void SetString(const char* key_path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
}

// The entries a reader's serial driver leaves, removed again at the end.
class ReaderEntries {
 public:
  explicit ReaderEntries(const std::string& port) {
    SetString(kServiceEnum, "0", kInstance);
    SetString(kInstanceKey, "FriendlyName", "DENSO WAVE USB-SER Comm. Port (" + port + ")");
  }
  ~ReaderEntries() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kService);
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstanceKey);
  }
};

// The exports this test calls, looked up in a library loaded by hand.
struct Corvex {
  HMODULE module = ::LoadLibraryA("Corvex.dll");
  template <typename Function>
  Function Get(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
  }
  int32_t (*open)(const char*, const char*) = Get<int32_t (*)(const char*, const char*)>("GenOpenDevice");
  int32_t (*close)() = Get<int32_t (*)()>("GenCloseDevice");
  int32_t (*set_all_key)() = Get<int32_t (*)()>("GenSetAllKey");
  int32_t (*last_error)() = Get<int32_t (*)()>("GenGetLastErrorDetail");
  int32_t (*sense)(int32_t*, const uint8_t*,
                   int32_t) = Get<int32_t (*)(int32_t*, const uint8_t*, int32_t)>("GenSenseCard");
  int32_t (*card_type)(int32_t*) = Get<int32_t (*)(int32_t*)>("GenGetCardType");
  int32_t (*write_account)(const char*, int32_t, const char*, int32_t) =
      Get<int32_t (*)(const char*, int32_t, const char*, int32_t)>("GenWriteUserAccount");
  int32_t (*read_account)(char*, int32_t*, char*,
                          int32_t*) = Get<int32_t (*)(char*, int32_t*, char*, int32_t*)>("GenReadUserAccount");
  int32_t (*write_name)(const char*, int32_t) = Get<int32_t (*)(const char*, int32_t)>("GenWriteUserName");
  int32_t (*write_pin)(const char*, int32_t) = Get<int32_t (*)(const char*, int32_t)>("GenWritePIN");
  int32_t (*verify_pin)(const char*, int32_t) = Get<int32_t (*)(const char*, int32_t)>("GenVerifyPIN");
  int32_t (*write_issue)(int32_t, int32_t, int32_t,
                         int32_t) = Get<int32_t (*)(int32_t, int32_t, int32_t, int32_t)>("GenWriteIssueInfo");
  int32_t (*initialise)() = Get<int32_t (*)()>("GenInitializeCard");
};

std::string PortPath() { return "\\\\.\\" + ComPort(); }

// 1. The answer to the reader check arrives in pieces; the peer knows no
// secured session, so the opening ends at the key state query.
TEST(WineComPort, FoundThroughTheRegistryOpenedAndClosed) {
  const std::string port = ComPort();
  ASSERT_FALSE(port.empty()) << "run by wine_com_harness";
  ReaderEntries entries(port);
  Corvex corvex;
  ASSERT_NE(corvex.module, nullptr);
  EXPECT_EQ(corvex.open("PR300", nullptr), 0x1000000);
  EXPECT_EQ(corvex.last_error(), 0x2000700);
  EXPECT_EQ(corvex.set_all_key(), 0x200);
  EXPECT_EQ(corvex.close(), 0x200);
  ::FreeLibrary(corvex.module);
}

// 2. A busy reader: one resend.
TEST(WineComPort, OneResendWhenTheReaderIsBusy) {
  Corvex corvex;
  EXPECT_EQ(corvex.open(nullptr, PortPath().c_str()), 0x1000000) << std::hex << corvex.last_error();
  EXPECT_EQ(corvex.last_error(), 0x2000700);
  ::FreeLibrary(corvex.module);
}

// 3. An answer that never completes: five more reads, then status 0x1.
TEST(WineComPort, AnswerThatNeverCompletes) {
  Corvex corvex;
  EXPECT_EQ(corvex.open(nullptr, PortPath().c_str()), 0x1);
  EXPECT_EQ(corvex.last_error(), 0x2000003);
  ::FreeLibrary(corvex.module);
}

// 4. An answer larger than the buffer.
TEST(WineComPort, AnswerLargerThanTheBuffer) {
  Corvex corvex;
  EXPECT_EQ(corvex.open(nullptr, PortPath().c_str()), 0x20000);
  EXPECT_EQ(corvex.last_error(), 0x2000002);
  ::FreeLibrary(corvex.module);
}

// 5. The simulator: found through the registry, a secured session, and an
// issue's worth of card work on a blank card (the harness checks the card).
TEST(WineComPort, CardWorkOnTheSimulator) {
  const std::string port = ComPort();
  ASSERT_FALSE(port.empty()) << "run by wine_com_harness";
  ReaderEntries entries(port);
  Corvex corvex;
  ASSERT_EQ(corvex.open("PR300", nullptr), 0) << std::hex << corvex.last_error();
  int32_t present = 0;
  const uint8_t system_code[2] = {0x81, 0x65};
  ASSERT_EQ(corvex.sense(&present, system_code, 1), 0) << std::hex << corvex.last_error();
  ASSERT_EQ(present, 1);
  int32_t type = -1;
  ASSERT_EQ(corvex.card_type(&type), 0);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(corvex.write_account("alice", 5, "secret", 6), 0);
  EXPECT_EQ(corvex.write_name("Alice Example", 13), 0);
  EXPECT_EQ(corvex.write_pin("1234", 4), 0);
  EXPECT_EQ(corvex.verify_pin("1234", 4), 0);
  EXPECT_EQ(corvex.verify_pin("4321", 4), 0x3);
  EXPECT_EQ(corvex.write_pin("", 0), 0);
  EXPECT_EQ(corvex.write_issue(2, 2024, 6, 30), 0);
  char id[128];
  char password[256];
  int32_t id_length = sizeof id;
  int32_t password_length = sizeof password;
  ASSERT_EQ(corvex.read_account(id, &id_length, password, &password_length), 0);
  EXPECT_EQ(std::string(id, id_length), "alice");
  EXPECT_EQ(std::string(password, password_length), "secret");
  ASSERT_EQ(corvex.card_type(&type), 0);
  EXPECT_EQ(type, 1);
  EXPECT_EQ(corvex.close(), 0) << std::hex << corvex.last_error();
  ::FreeLibrary(corvex.module);
}

// 6. The simulator: the card leaves after two writes, in the middle of the
// password's two chunks.
TEST(WineComPort, CardLeavesInTheMiddleOfAWrite) {
  Corvex corvex;
  ASSERT_EQ(corvex.open(nullptr, PortPath().c_str()), 0) << std::hex << corvex.last_error();
  int32_t present = 0;
  const uint8_t system_code[2] = {0x81, 0x65};
  ASSERT_EQ(corvex.sense(&present, system_code, 1), 0);
  ASSERT_EQ(present, 1);
  const std::string password(256, 'p');
  EXPECT_EQ(corvex.write_account("id", 2, password.data(), 256), 0x5);
  EXPECT_EQ(corvex.last_error(), 0x80400EF);
  EXPECT_EQ(corvex.close(), 0);
  ::FreeLibrary(corvex.module);
}

// 7. Unloading the library closes the device.
TEST(WineComPort, FreeingTheLibraryClosesTheDevice) {
  Corvex corvex;
  ASSERT_EQ(corvex.open(nullptr, PortPath().c_str()), 0) << std::hex << corvex.last_error();
  EXPECT_TRUE(::FreeLibrary(corvex.module));  // the simulator sees the closing
}

}  // namespace
