// Runs the scenarios of wine_com_port_test.cpp under Wine, each on a COM port
// that is a fresh pseudo-terminal answered by the scripted peer, and checks
// what went over the line (a Linux program, built with the host's compiler).
//
//   wine_com_harness --prefix DIR --port comN -- wine program.exe [args]
//
// The Wine prefix DIR is the test's own (created when missing). For each
// scenario its dosdevices/comN becomes a link to a new pseudo-terminal, the
// program runs that scenario's test alone (--gtest_filter) and finds the
// port's name in PELLAM_TEST_COM_PORT ("COMN"); the line must carry exactly
// the scenario's frames and the program must end with status 0. A fresh line
// per scenario matters: a pseudo-terminal refuses a settings change that is
// only a parity change, which is what Wine asks of a line that an earlier
// session left configured.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/pty_peer.h"

extern char** environ;

namespace {

using testing_support::PeerBytes;
using testing_support::PeerHex;
using testing_support::PeerReply;
using testing_support::PtyPeer;
using Frames = std::vector<std::string>;

const char* const kReaderCheck = "08 00 05 00 01 00 00 01 0D";
const char* const kSpeed9600 = "08 00 04 00 07 00 00 0B";
// An opening from the speed command on, and a closing.
const Frames kRest = {"08 00 04 00 07 13 00 18", "28 00 04 00 01 00 00 2D", "28 00 04 00 11 01 00 3C",
                      "28 00 04 00 13 04 05 3E", "28 00 04 00 11 00 00 3D", kSpeed9600};

PeerBytes Reply(std::uint8_t status, const PeerBytes& payload) {
  PeerBytes frame;
  frame.push_back(status);
  frame.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
  frame.push_back(static_cast<std::uint8_t>(payload.size()));
  for (const std::uint8_t byte : payload) frame.push_back(byte);
  std::uint8_t sum = 0;
  for (const std::uint8_t byte : frame) sum ^= byte;
  frame.push_back(sum);
  return frame;
}

PeerReply Whole(const PeerBytes& bytes) { return PeerReply{{bytes}, {}, false}; }

Frames Join(Frames first, const Frames& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

struct Scenario {
  const char* test;               // the test of wine_com_port_test.cpp
  void (*script)(PtyPeer& peer);  // what the peer answers beyond its defaults
  Frames frames;                  // what the line must carry
};

const Scenario kScenarios[] = {
    {"FoundThroughTheRegistryOpenedAndClosed",
     [](PtyPeer& peer) {
       peer.Answer(
           PeerHex(kReaderCheck),
           PeerReply{{PeerHex("00 00 02 90"), PeerHex("00"), PeerHex("92")}, std::chrono::milliseconds(40), false});
     },
     Join({kReaderCheck}, kRest)},
    {"OneResendWhenTheReaderIsBusy",
     [](PtyPeer& peer) { peer.Answer(PeerHex(kReaderCheck), Whole(Reply(0x80, PeerHex("90 00")))); },
     Join({kReaderCheck, kReaderCheck}, kRest)},
    {"AnswerThatNeverCompletes",
     [](PtyPeer& peer) { peer.Answer(PeerHex(kReaderCheck), Whole(PeerHex("00 00 02 90"))); },
     {kReaderCheck}},
    {"AnswerLargerThanTheBuffer",
     [](PtyPeer& peer) { peer.Answer(PeerHex(kReaderCheck), Whole(Reply(0x00, PeerBytes(1100, 0x90)))); },
     {kReaderCheck}},
    {"RefusalWhileClosing",
     [](PtyPeer& peer) { peer.Answer(PeerHex(kSpeed9600), Whole(Reply(0x00, PeerHex("6A 82")))); },
     Join({kReaderCheck}, kRest)},
    {"FreeingTheLibraryClosesTheDevice", [](PtyPeer&) {}, Join({kReaderCheck}, kRest)},
};

std::string Hex(const PeerBytes& bytes) {
  std::string text;
  char item[4];
  for (const std::uint8_t byte : bytes) {
    std::snprintf(item, sizeof item, "%02X", byte);
    text += (text.empty() ? "" : " ") + std::string(item);
  }
  return text;
}

// Runs `argv` with the process's environment, the variables in `environment`
// replaced, and waits; its exit status, or -1.
int Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& entry : environment) env.push_back(const_cast<char*>(entry.c_str()));
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view variable(*entry);
    bool replaced = false;
    for (const std::string& ours : environment) {
      replaced = replaced || variable.substr(0, variable.find('=') + 1) == ours.substr(0, ours.find('=') + 1);
    }
    if (!replaced) env.push_back(*entry);
  }
  env.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawnp(&child, args[0], nullptr, nullptr, args.data(), env.data()) != 0) return -1;
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// One scenario on a fresh line; true when it passed.
bool RunScenario(const Scenario& scenario, const std::string& prefix, const std::string& port,
                 std::vector<std::string> program) {
  PtyPeer peer;
  if (!peer.ok()) {
    std::printf("%s: cannot open a pseudo-terminal\n", scenario.test);
    return false;
  }
  scenario.script(peer);
  const std::string link = prefix + "/dosdevices/" + port;
  ::unlink(link.c_str());
  if (::symlink(peer.path().c_str(), link.c_str()) != 0) {
    std::printf("%s: cannot link %s to %s\n", scenario.test, link.c_str(), peer.path().c_str());
    return false;
  }
  std::string name = port;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  program.push_back(std::string("--gtest_filter=WineComPort.") + scenario.test);
  std::printf("=== %s on %s (%s)\n", scenario.test, name.c_str(), peer.path().c_str());
  std::fflush(stdout);
  const int status = Run(program, {"WINEPREFIX=" + prefix, "PELLAM_TEST_COM_PORT=" + name});
  ::unlink(link.c_str());

  Frames received;
  for (const PeerBytes& frame : peer.Received()) received.push_back(Hex(frame));
  const bool same = received == scenario.frames;
  if (!same) {
    std::printf("%s: the line carried\n", scenario.test);
    for (const std::string& frame : received) std::printf("  %s\n", frame.c_str());
    std::printf("instead of\n");
    for (const std::string& frame : scenario.frames) std::printf("  %s\n", frame.c_str());
  }
  if (status != 0) std::printf("%s: the test program ended with status %d\n", scenario.test, status);
  std::fflush(stdout);
  return same && status == 0;
}

int Usage() {
  std::fprintf(stderr, "usage: wine_com_harness --prefix DIR --port comN -- PROGRAM [ARGS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string prefix;
  std::string port;
  int rest = argc;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      rest = i + 1;
      break;
    }
    if (i + 1 >= argc) return Usage();
    if (arg == "--prefix") {
      prefix = argv[++i];
    } else if (arg == "--port") {
      port = argv[++i];
    } else {
      return Usage();
    }
  }
  if (prefix.empty() || port.size() < 4 || rest >= argc) return Usage();

  struct stat info {};
  if (::stat((prefix + "/system.reg").c_str(), &info) != 0) {
    std::printf("creating the Wine prefix %s\n", prefix.c_str());
    std::fflush(stdout);
    const std::vector<std::string> wine_env = {"WINEPREFIX=" + prefix};
    if (Run({"wineboot", "-i"}, wine_env) != 0 || Run({"wineserver", "-w"}, wine_env) != 0) {
      std::printf("cannot create the Wine prefix\n");
      return 1;
    }
  }

  const std::vector<std::string> program(argv + rest, argv + argc);
  int failed = 0;
  for (const Scenario& scenario : kScenarios) failed += RunScenario(scenario, prefix, port, program) ? 0 : 1;
  std::printf("%d of %zu scenarios passed\n", static_cast<int>(std::size(kScenarios)) - failed, std::size(kScenarios));
  return failed == 0 ? 0 : 1;
}
