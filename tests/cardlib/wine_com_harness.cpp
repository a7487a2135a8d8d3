// Runs the scenarios of wine_com_port_test.cpp under Wine, each on a COM port
// that is a fresh pseudo-terminal answered by the scripted peer or by the
// reader simulator, and checks what went over the line or what the simulator
// saw (a Linux program, built with the host's compiler).
//
//   wine_com_harness --prefix DIR --port comN --readersim PATH [--only TEST] -- wine program.exe [args]
//
// With --only, just the scenario of that test runs (a test of another
// program); without it, every scenario not marked as such.
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

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/pty_peer.h"
#include "tests/support/reader_frames.h"
#include "tests/support/simulator_process.h"

extern char** environ;

namespace {

using testing_support::PeerBytes;
using testing_support::PeerHex;
using testing_support::PeerReply;
using testing_support::PtyPeer;
using Frames = std::vector<std::string>;
using testing_support::kReaderCheck;
using testing_support::kSpeed9600;

// An opening from the speed command on, up to the key state query that the
// scripted peer cannot answer (it knows no secured session), and the reader
// asked back to 9600 bit/s.
const Frames kRest = {testing_support::kSpeed115200, testing_support::kReset,    testing_support::kModeOn,
                      testing_support::kSetup,       testing_support::kKeyState, testing_support::kSpeed9600};

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

// A scenario on the simulator: its cards before the test, and what the
// simulator must have seen after it (besides an empty violation list).
struct SimulatorScenario {
  const char* test;
  const char* prepare;  // control commands, separated by ';'
  bool (*check)(const testing_support::SimulatorProcess& sim, const nlohmann::json& stats);
  bool only_when_named = false;  // the test lives in another program, run with --only
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
     [](PtyPeer& peer) {
       peer.Answer(PeerHex(kReaderCheck), Whole(testing_support::ReplyFrame(0x80, PeerHex("90 00"))));
     },
     Join({kReaderCheck, kReaderCheck}, kRest)},
    {"AnswerThatNeverCompletes",
     [](PtyPeer& peer) { peer.Answer(PeerHex(kReaderCheck), Whole(PeerHex("00 00 02 90"))); },
     {kReaderCheck}},
    {"AnswerLargerThanTheBuffer",
     [](PtyPeer& peer) {
       peer.Answer(PeerHex(kReaderCheck), Whole(testing_support::ReplyFrame(0x00, PeerBytes(1100, 0x90))));
     },
     {kReaderCheck}},
};

const SimulatorScenario kSimulatorScenarios[] = {
    {"CardWorkOnTheSimulator", "create card blank;place card",
     [](const testing_support::SimulatorProcess& sim, const nlohmann::json& stats) {
       const nlohmann::json fields = sim.Dump("card");
       return stats["commands"].value("reader:89", 0L) == 1 && fields["user_id"] == "alice" &&
              fields["password"] == "secret" && fields["user_name"] == "Alice Example" && fields["pin"] == "" &&
              fields["issue_count"] == 2;
     }},
    {"CardLeavesInTheMiddleOfAWrite", "create card blank;place card;fault remove-after-writes 2",
     [](const testing_support::SimulatorProcess& sim, const nlohmann::json&) {
       // The user ID's write and the password's first chunk of 8 blocks stay.
       const nlohmann::json fields = sim.Dump("card");
       return fields["user_id"] == "id" && fields["password"] == std::string(128, 'p');
     }},
    {"FreeingTheLibraryClosesTheDevice", "",
     [](const testing_support::SimulatorProcess&, const nlohmann::json& stats) {
       // Both speed changes and both 0x11 commands: opened, then closed on unloading.
       return stats["commands"].value("link:07", 0L) == 2 && stats["commands"].value("reader:11", 0L) == 2;
     }},
    {"EveryExportOnTheSimulator", "create card blank;place card",
     [](const testing_support::SimulatorProcess&, const nlohmann::json& stats) {
       // One session, one key registration, and card work of every kind.
       const nlohmann::json& commands = stats["commands"];
       return commands.value("reader:89", 0L) == 1 && commands.value("card:60", 0L) >= 1 &&
              commands.value("card:04", 0L) >= 1 && commands.value("card:56", 0L) > 30 &&
              commands.value("card:52", 0L) > 40 && commands.value("card:16", 0L) > 40;
     },
     true},
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

// One scenario on a fresh simulator; true when it passed.
bool RunSimulatorScenario(const SimulatorScenario& scenario, const std::string& readersim, const std::string& prefix,
                          const std::string& port, std::vector<std::string> program) {
  const std::string folder = prefix + "/readersim";
  ::mkdir(folder.c_str(), 0700);
  testing_support::SimulatorProcess sim(readersim, folder);
  if (!sim.ok()) {
    std::printf("%s: the simulator did not start\n", scenario.test);
    return false;
  }
  std::string commands = scenario.prepare;
  for (std::size_t start = 0; start < commands.size();) {
    const std::size_t end = std::min(commands.find(';', start), commands.size());
    if (!sim.Do(commands.substr(start, end - start))) {
      std::printf("%s: cannot prepare the simulator: %s\n", scenario.test, commands.substr(start, end - start).c_str());
      return false;
    }
    start = end + 1;
  }
  const std::string link = prefix + "/dosdevices/" + port;
  ::unlink(link.c_str());
  if (::symlink(sim.link().c_str(), link.c_str()) != 0) {
    std::printf("%s: cannot link %s to %s\n", scenario.test, link.c_str(), sim.link().c_str());
    return false;
  }
  std::string name = port;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  program.push_back(std::string("--gtest_filter=WineComPort.") + scenario.test);
  std::printf("=== %s on %s (simulator at %s)\n", scenario.test, name.c_str(), sim.link().c_str());
  std::fflush(stdout);
  const int status = Run(program, {"WINEPREFIX=" + prefix, "PELLAM_TEST_COM_PORT=" + name});
  ::unlink(link.c_str());

  const nlohmann::json stats = sim.Stats();
  const bool clean = stats["violations"].empty();
  const bool checked = clean && scenario.check(sim, stats);
  if (!clean) std::printf("%s: protocol violations: %s\n", scenario.test, stats["violations"].dump(1).c_str());
  if (clean && !checked) std::printf("%s: the simulator saw %s\n", scenario.test, stats["commands"].dump().c_str());
  if (status != 0) std::printf("%s: the test program ended with status %d\n", scenario.test, status);
  std::fflush(stdout);
  return checked && status == 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: wine_com_harness --prefix DIR --port comN --readersim PATH [--only TEST] -- PROGRAM [ARGS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string prefix;
  std::string port;
  std::string readersim;
  std::string only;
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
    } else if (arg == "--readersim") {
      readersim = argv[++i];
    } else if (arg == "--only") {
      only = argv[++i];
    } else {
      return Usage();
    }
  }
  if (prefix.empty() || port.size() < 4 || readersim.empty() || rest >= argc) return Usage();

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
  std::size_t total = 0;
  for (const Scenario& scenario : kScenarios) {
    if (!only.empty() && only != scenario.test) continue;
    ++total;
    failed += RunScenario(scenario, prefix, port, program) ? 0 : 1;
  }
  for (const SimulatorScenario& scenario : kSimulatorScenarios) {
    if (only.empty() ? scenario.only_when_named : only != scenario.test) continue;
    ++total;
    failed += RunSimulatorScenario(scenario, readersim, prefix, port, program) ? 0 : 1;
  }
  if (total == 0) {
    std::printf("no scenario named %s\n", only.c_str());
    return 1;
  }
  std::printf("%d of %zu scenarios passed\n", static_cast<int>(total) - failed, total);
  return failed == 0 ? 0 : 1;
}
