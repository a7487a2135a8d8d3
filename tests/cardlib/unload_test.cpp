// Unloading the library closes an open device: when the program lets go of
// the library, and when a process ends with the device still open.
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/pty_peer.h"

extern char** environ;

namespace {

using testing_support::PeerBytes;
using testing_support::PeerHex;

const std::vector<PeerBytes> kOpenThenClose = {
    PeerHex("08 00 05 00 01 00 00 01 0D"), PeerHex("08 00 04 00 07 13 00 18"), PeerHex("28 00 04 00 01 00 00 2D"),
    PeerHex("28 00 04 00 11 01 00 3C"),    PeerHex("28 00 04 00 13 04 05 3E"), PeerHex("28 00 04 00 11 00 00 3D"),
    PeerHex("08 00 04 00 07 00 00 0B")};

using OpenDevice = std::int32_t (*)(const char*, const char*);

TEST(Unload, LettingGoOfTheLibraryClosesTheDevice) {
  testing_support::PtyPeer peer;
  ASSERT_TRUE(peer.ok());
  for (int round = 0; round < 2; ++round) {
    peer.ClearReceived();
    void* library = ::dlopen(CORVEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    const auto open = reinterpret_cast<OpenDevice>(::dlsym(library, "GenOpenDevice"));
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(open(nullptr, peer.path().c_str()), 0) << "round " << round;
    ASSERT_EQ(::dlclose(library), 0);
    EXPECT_EQ(peer.Received(), kOpenThenClose) << "round " << round;
  }
}

TEST(Unload, EndingTheProcessClosesTheDevice) {
  testing_support::PtyPeer peer;
  ASSERT_TRUE(peer.ok());
  std::string program = CORVEX_OPEN_AND_EXIT;
  std::string port = peer.path();
  char* argv[] = {program.data(), port.data(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(peer.WaitForFrames(kOpenThenClose.size(), std::chrono::seconds(5)));
  EXPECT_EQ(peer.Received(), kOpenThenClose);
}

}  // namespace
