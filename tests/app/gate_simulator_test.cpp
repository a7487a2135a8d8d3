// The administrator-card gate through the real card library and the reader
// simulator on a pseudo-terminal: the reader is found through the registry,
// held open between ticks, and the administrator ID read from the card.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/core/admin_id_dialog.h"
#include "cardlib/Corvex.h"
#include "tests/app/fake_view.h"
#include "tests/support/environment.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

std::pair<bool, std::string> Ctl(const std::string& link, const std::string& args) {
  const std::string command = std::string(READERSIM_PATH) + " ctl --link '" + link + "' " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {false, ""};
  std::string output;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
  return {::pclose(pipe) == 0, output};
}

// The simulator with an administrator card and a user card in its deck, and
// a registry stand-in through which the card library finds it as COM3.
class SimulatedReader : public ::testing::Test {
 protected:
  void SetUp() override {
    pid_ = ::fork();
    if (pid_ == 0) {
      std::string program = READERSIM_PATH, serve = "serve", flag = "--link", link = link_;
      char* argv[] = {program.data(), serve.data(), flag.data(), link.data(), nullptr};
      ::freopen("/dev/null", "w", stdout);
      ::freopen("/dev/null", "w", stderr);
      ::execv(READERSIM_PATH, argv);
      ::_exit(127);
    }
    bool up = false;
    for (auto until = std::chrono::steady_clock::now() + 10s; !up && std::chrono::steady_clock::now() < until;) {
      up = Ctl(link_, "ping").first;
      if (!up) std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(up) << "the simulator did not start";
    ASSERT_TRUE(Ctl(link_, "create boss admin ADMIN01").first);
    ASSERT_TRUE(Ctl(link_, "create alice user alice secret").first);
    testing_support::WriteBytes(dir_.file("registry.reg"),
                                "REGEDIT4\n\n"
                                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum]\n"
                                "\"0\"=\"USB\\\\VID_0000&PID_0000\\\\1\"\n\n"
                                "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\1]\n"
                                "\"FriendlyName\"=\"DENSO WAVE USB-SER Comm. Port (COM3)\"\n\n"
                                "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\n\"" +
                                    link_ + "\"=\"COM3\"\n");
  }

  void TearDown() override {
    GenCloseDevice();
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  // Ticks until the dialog ends (at most `ticks`).
  void Run(pellam::AdminIdDialog& dialog, app_test::FakeView& view, int ticks) {
    dialog.OnInit(view);
    for (int i = 0; i < ticks && !view.ended; ++i) dialog.OnTimer(view);
    dialog.OnDestroy(view);
  }

  std::string Violations() {
    const std::string stats = Ctl(link_, "stats").second;
    const std::size_t at = stats.find("\"violations\"");
    return at == std::string::npos ? stats : stats.substr(at, stats.find(']', at) - at + 1);
  }

  testing_support::TempDir dir_;
  std::string link_ = dir_.file("reader");
  testing_support::ScopedEnvironment registry_{"PELLAM_REGISTRY", dir_.file("registry.reg")};
  pid_t pid_ = -1;
  pellam::AppState state_;
  app_test::FakeSurface surface_;
  pellam::Messages messages_{state_, surface_};
  pellam::CorvexCardAccess card_;
};

TEST_F(SimulatedReader, AdministratorCardIsReadAndTheReaderClosed) {
  ASSERT_TRUE(Ctl(link_, "place boss").first);
  app_test::FakeView view(0x20);
  pellam::AdminIdDialog dialog(state_, messages_, card_);
  Run(dialog, view, 10);
  ASSERT_TRUE(view.ended);
  EXPECT_EQ(view.result, pellam::AdminIdDialog::kResultRead);
  EXPECT_TRUE(surface_.shown.empty());
  const auto& admin = state_.records.admin.admin_id;
  EXPECT_EQ(std::string(admin.bytes.data(), static_cast<std::size_t>(admin.length)), "ADMIN01");
  EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN) << "the gate closed the reader";
  EXPECT_EQ(Violations(), "\"violations\": []");
}

TEST_F(SimulatedReader, UserCardAsksAndTheSwappedAdministratorCardIsRead) {
  ASSERT_TRUE(Ctl(link_, "place alice").first);
  surface_.on_message = [this] { Ctl(link_, "place boss"); };
  app_test::FakeView view(0x20);
  pellam::AdminIdDialog dialog(state_, messages_, card_);
  Run(dialog, view, 10);
  ASSERT_TRUE(view.ended);
  EXPECT_EQ(view.result, pellam::AdminIdDialog::kResultRead);
  ASSERT_EQ(surface_.shown.size(), 1u);
  EXPECT_EQ(surface_.shown[0].kind, pellam::MessageBoxKind::WarningQuestion);
  const auto& admin = state_.records.admin.admin_id;
  EXPECT_EQ(std::string(admin.bytes.data(), static_cast<std::size_t>(admin.length)), "ADMIN01");
}

TEST_F(SimulatedReader, NoCardKeepsPollingWithTheReaderOpen) {
  app_test::FakeView view(0x20);
  pellam::AdminIdDialog dialog(state_, messages_, card_);
  Run(dialog, view, 4);
  EXPECT_FALSE(view.ended);
  EXPECT_TRUE(surface_.shown.empty());
  EXPECT_EQ(GenCloseDevice(), CORVEX_OK) << "the reader stayed open between ticks";
}

}  // namespace
