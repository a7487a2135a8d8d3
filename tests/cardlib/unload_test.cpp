// Unloading the library closes an open device: when the program lets go of
// the library, and when a process ends with the device still open. The
// simulator's statistics show the closing: the reader put to rest (the second
// 0x11) and asked back to 9600 bit/s (the second speed change).
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

using OpenDevice = std::int32_t (*)(const char*, const char*);

class Unload : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.ok()); }
  void TearDown() override {
    const nlohmann::json stats = sim.Stats();
    EXPECT_TRUE(stats["violations"].empty()) << stats["violations"].dump(1);
  }
  // Whether the simulator saw `sessions` complete opens and closes.
  bool SawClosings(long sessions) const {
    for (int i = 0; i < 250; ++i) {
      const nlohmann::json commands = sim.Stats()["commands"];
      if (commands.value("link:07", 0L) == 2 * sessions && commands.value("reader:11", 0L) == 2 * sessions) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  testing_support::TempDir dir;
  testing_support::SimulatorProcess sim{READERSIM_PATH, dir.path().string()};
};

TEST_F(Unload, LettingGoOfTheLibraryClosesTheDevice) {
  for (int round = 1; round <= 2; ++round) {
    void* library = ::dlopen(CORVEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    const auto open = reinterpret_cast<OpenDevice>(::dlsym(library, "GenOpenDevice"));
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(open(nullptr, sim.link().c_str()), 0) << "round " << round;
    ASSERT_EQ(::dlclose(library), 0);
    EXPECT_TRUE(SawClosings(round)) << "round " << round << ": " << sim.Stats()["commands"].dump();
  }
}

TEST_F(Unload, EndingTheProcessClosesTheDevice) {
  std::string program = CORVEX_OPEN_AND_EXIT;
  std::string port = sim.link();
  char* argv[] = {program.data(), port.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(SawClosings(1)) << sim.Stats()["commands"].dump();
}

}  // namespace
