// readersim: a simulated card reader/writer with cards, on a pseudo-terminal.
//
//   readersim serve --link PATH [--state FILE] [--socket PATH] [--blank-reader] [--line-timing]
//   readersim ctl (--socket PATH | --link PATH) COMMAND [ARGS...]
//
// The state file defaults to PATH.json and the control socket to PATH.ctl
// beside the link. `readersim ctl --link PATH help` lists the commands.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/pseudo_terminal.h"
#include "readersim/control.h"
#include "readersim/server.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: readersim serve --link PATH [--state FILE] [--socket PATH] [--blank-reader] [--line-timing]\n"
               "       readersim ctl (--socket PATH | --link PATH) COMMAND [ARGS...]\n\n%s"
               "  (ctl: 'create NAME dump FILE' reads a card written by 'dump NAME raw')\n",
               readersim::ControlUsage());
  return 2;
}

int Serve(int argc, char** argv) {
  readersim::ServerOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--link" && i + 1 < argc) {
      options.link = argv[++i];
    } else if (arg == "--state" && i + 1 < argc) {
      options.state = argv[++i];
    } else if (arg == "--socket" && i + 1 < argc) {
      options.socket = argv[++i];
    } else if (arg == "--blank-reader") {
      options.blank_reader = true;
    } else if (arg == "--line-timing") {
      options.line_timing = true;
    } else {
      return Usage();
    }
  }
  if (options.link.empty()) return Usage();
  if (options.state.empty()) options.state = options.link + ".json";
  if (options.socket.empty()) options.socket = options.link + ".ctl";
  return readersim::RunServer(options);
}

int Control(int argc, char** argv) {
  std::string socket;
  int i = 2;
  for (; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--socket") == 0) {
      socket = argv[i + 1];
    } else if (std::strcmp(argv[i], "--link") == 0) {
      socket = std::string(argv[i + 1]) + ".ctl";
    } else {
      break;
    }
  }
  if (socket.empty() || i >= argc) return Usage();
  std::vector<std::string> args(argv + i, argv + argc);
  // A card dump is sent as its JSON text.
  if (args.size() == 4 && args[0] == "create" && args[2] == "dump") {
    std::ifstream in(args[3], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "readersim: cannot read %s\n", args[3].c_str());
      return 1;
    }
    args[2] = "json";
    args[3].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  const int connection = platform::ConnectLocal(socket);
  if (connection < 0) {
    std::fprintf(stderr, "readersim: no simulator answers at %s\n", socket.c_str());
    return 1;
  }
  const std::string request = nlohmann::json{{"args", args}}.dump() + "\n";
  std::string answer;
  const bool sent = platform::SendAll(connection, request.data(), request.size());
  while (sent && answer.find('\n') == std::string::npos && platform::ReceiveSome(connection, answer)) {
  }
  platform::CloseDescriptor(connection);
  try {
    const nlohmann::json reply = nlohmann::json::parse(answer);
    const std::string output = reply.at("output").get<std::string>();
    std::fprintf(reply.at("ok").get<bool>() ? stdout : stderr, "%s\n", output.c_str());
    return reply.at("ok").get<bool>() ? 0 : 1;
  } catch (const std::exception&) {
    std::fprintf(stderr, "readersim: no answer from %s\n", socket.c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "serve") == 0) return Serve(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "ctl") == 0) return Control(argc, argv);
  return Usage();
}
