// Runs a Windows test program under Wine with a COM port that is a
// pseudo-terminal answered by the scripted peer, then checks what went over
// the line (Linux program, built with the host's compiler).
//
//   wine_com_harness --prefix DIR --port comN --cycles N -- wine program.exe [args]
//
// The Wine prefix DIR is the test's own (created when missing). Its
// dosdevices/comN becomes a link to the pseudo-terminal, and the program
// finds the port's name in PELLAM_TEST_COM_PORT ("COMN"). The line must carry
// exactly N openings each followed by a closing, and the program must end
// with status 0.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/pty_peer.h"

extern char** environ;

namespace {

using testing_support::PeerBytes;
using testing_support::PeerHex;

const char* const kCycle[] = {
    "08 00 05 00 01 00 00 01 0D", "08 00 04 00 07 13 00 18", "28 00 04 00 01 00 00 2D", "28 00 04 00 11 01 00 3C",
    "28 00 04 00 13 04 05 3E",    "28 00 04 00 11 00 00 3D", "08 00 04 00 07 00 00 0B",
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

// Runs `argv` with `environment` and waits; its exit status, or -1.
int Run(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // The process's environment, with the variables in `environment` replaced.
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

int Usage() {
  std::fprintf(stderr, "usage: wine_com_harness --prefix DIR --port comN --cycles N -- PROGRAM [ARGS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string prefix;
  std::string port;
  int cycles = -1;
  int rest = argc;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      rest = i + 1;
      break;
    }
    if (i + 1 >= argc) return Usage();
    if (arg == "--prefix")
      prefix = argv[++i];
    else if (arg == "--port")
      port = argv[++i];
    else if (arg == "--cycles")
      cycles = std::atoi(argv[++i]);
    else
      return Usage();
  }
  if (prefix.empty() || port.size() < 4 || cycles < 0 || rest >= argc) return Usage();
  const std::vector<std::string> wine_env = {"WINEPREFIX=" + prefix};

  struct stat info {};
  if (::stat((prefix + "/system.reg").c_str(), &info) != 0) {
    std::fprintf(stderr, "creating the Wine prefix %s\n", prefix.c_str());
    if (Run({"wineboot", "-i"}, wine_env) != 0 || Run({"wineserver", "-w"}, wine_env) != 0) {
      std::fprintf(stderr, "cannot create the Wine prefix\n");
      return 1;
    }
  }

  testing_support::PtyPeer peer;
  if (!peer.ok()) {
    std::fprintf(stderr, "cannot open a pseudo-terminal\n");
    return 1;
  }
  const std::string link = prefix + "/dosdevices/" + port;
  ::unlink(link.c_str());
  if (::symlink(peer.path().c_str(), link.c_str()) != 0) {
    std::fprintf(stderr, "cannot link %s to %s\n", link.c_str(), peer.path().c_str());
    return 1;
  }
  std::string name = port;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::printf("%s is %s\n", name.c_str(), peer.path().c_str());
  std::fflush(stdout);

  const int status =
      Run(std::vector<std::string>(argv + rest, argv + argc), {"WINEPREFIX=" + prefix, "PELLAM_TEST_COM_PORT=" + name});
  ::unlink(link.c_str());

  std::vector<std::string> expected;
  for (int i = 0; i < cycles; ++i) expected.insert(expected.end(), std::begin(kCycle), std::end(kCycle));
  std::vector<std::string> received;
  for (const PeerBytes& frame : peer.Received()) received.push_back(Hex(frame));
  bool same = received == expected;
  if (!same) {
    std::printf("the line did not carry %d opening and closing cycles; it carried:\n", cycles);
    for (const std::string& frame : received) std::printf("  %s\n", frame.c_str());
  } else {
    std::printf("the line carried %d opening and closing cycles, frame by frame\n", cycles);
  }
  if (status != 0) std::printf("the test program ended with status %d\n", status);
  return same && status == 0 ? 0 : 1;
}
