// Runs one test of a Wine test program against the reader simulator, on a
// COM port that the Wine prefix maps to the simulator's pseudo-terminal, and
// checks what the simulator saw (a Linux program, built with the host's
// compiler).
//
//   wine_com_harness PREFIX comN READERSIM TEST -- wine program.exe [args]
//
// The Wine prefix PREFIX is the test's own (created when missing). Its
// dosdevices/comN becomes a link to the simulator's port, the program runs
// the test alone (--gtest_filter) and finds the port's name in
// PELLAM_TEST_COM_PORT ("COMN"); the program must end with status 0 and the
// simulator must have seen no protocol violation and what the scenario asks.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/simulator_process.h"

extern char** environ;

namespace {

using testing_support::SimulatorProcess;

struct Scenario {
  const char* test;                  // the test of the Wine program
  std::vector<const char*> prepare;  // control commands before it
  bool (*check)(const SimulatorProcess& sim, const nlohmann::json& commands);
};

const Scenario kScenarios[] = {
    // The first answer comes in pieces and asks for a resend; then a session,
    // one key registration, card work of every kind, and the account the
    // test wrote last.
    {"EveryExportOnTheSimulator",
     {"create card blank", "place card", "fault split 4 20", "fault status80 1"},
     [](const SimulatorProcess& sim, const nlohmann::json& commands) {
       const nlohmann::json fields = sim.Dump("card");
       return commands.value("link:01", 0L) == 2 && commands.value("reader:89", 0L) == 1 &&
              commands.value("card:60", 0L) >= 1 && commands.value("card:04", 0L) >= 1 &&
              commands.value("card:56", 0L) > 30 && commands.value("card:52", 0L) > 40 &&
              commands.value("card:16", 0L) > 40 && fields["user_id"] == "alice" && fields["password"] == "secret";
     }},
    // Both speed changes and both 0x11 commands: opened, then closed on unloading.
    {"FreeingTheLibraryClosesTheDevice",
     {},
     [](const SimulatorProcess&, const nlohmann::json& commands) {
       return commands.value("link:07", 0L) == 2 && commands.value("reader:11", 0L) == 2;
     }},
};

// Runs `argv` with the process's environment and waits; its exit status, or -1.
int Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawnp(&child, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The scenario on a fresh simulator; true when it passed.
bool RunScenario(const Scenario& scenario, const std::string& readersim, const std::string& prefix,
                 const std::string& port, std::vector<std::string> program) {
  const std::string folder = prefix + "/readersim";
  ::mkdir(folder.c_str(), 0700);
  SimulatorProcess sim(readersim, folder);
  if (!sim.ok()) {
    std::printf("%s: the simulator did not start\n", scenario.test);
    return false;
  }
  for (const char* command : scenario.prepare) {
    if (!sim.Do(command)) {
      std::printf("%s: cannot prepare the simulator: %s\n", scenario.test, command);
      return false;
    }
  }
  const std::string link = prefix + "/dosdevices/" + port;
  ::unlink(link.c_str());
  if (::symlink(sim.link().c_str(), link.c_str()) != 0) {
    std::printf("%s: cannot link %s to %s\n", scenario.test, link.c_str(), sim.link().c_str());
    return false;
  }
  std::string name = port;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ::setenv("PELLAM_TEST_COM_PORT", name.c_str(), 1);
  program.push_back(std::string("--gtest_filter=WineComPort.") + scenario.test);
  std::printf("=== %s on %s (simulator at %s)\n", scenario.test, name.c_str(), sim.link().c_str());
  std::fflush(stdout);
  const int status = Run(program);
  ::unlink(link.c_str());

  const nlohmann::json stats = sim.Stats();
  const bool clean = stats["violations"].empty();
  const bool checked = clean && scenario.check(sim, stats["commands"]);
  if (!clean) std::printf("%s: protocol violations: %s\n", scenario.test, stats["violations"].dump(1).c_str());
  if (clean && !checked) std::printf("%s: the simulator saw %s\n", scenario.test, stats["commands"].dump().c_str());
  if (status != 0) std::printf("%s: the test program ended with status %d\n", scenario.test, status);
  std::fflush(stdout);
  return checked && status == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 7 || std::string(argv[5]) != "--") {
    std::fprintf(stderr, "usage: wine_com_harness PREFIX comN READERSIM TEST -- PROGRAM [ARGS]\n");
    return 2;
  }
  const std::string prefix = argv[1];
  const std::string port = argv[2];
  const std::string only = argv[4];
  const auto scenario =
      std::find_if(std::begin(kScenarios), std::end(kScenarios), [&](const Scenario& s) { return only == s.test; });
  if (scenario == std::end(kScenarios)) {
    std::printf("no scenario named %s\n", only.c_str());
    return 1;
  }

  ::setenv("WINEPREFIX", prefix.c_str(), 1);
  struct stat info {};
  if (::stat((prefix + "/system.reg").c_str(), &info) != 0) {
    std::printf("creating the Wine prefix %s\n", prefix.c_str());
    std::fflush(stdout);
    if (Run({"wineboot", "-i"}) != 0 || Run({"wineserver", "-w"}) != 0) {
      std::printf("cannot create the Wine prefix\n");
      return 1;
    }
  }
  const bool passed = RunScenario(*scenario, argv[3], prefix, port, std::vector<std::string>(argv + 6, argv + argc));
  std::printf("%s %s\n", scenario->test, passed ? "passed" : "failed");
  return passed ? 0 : 1;
}
