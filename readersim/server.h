// The simulator process: serves the reader on a pseudo-terminal whose path
// is kept at a stable symbolic link, and takes control commands on a
// Unix-domain socket.
//
// Every host session gets a fresh pseudo-terminal: as soon as a host opens
// the one the link names, the link moves to a new one, and the opened one is
// served until the host closes it. Each starts in a state that the host's
// first configuration really changes (see platform/pseudo_terminal.h).
#pragma once

#include <string>

namespace readersim {

struct ServerOptions {
  std::string link;    // symbolic link to the current pseudo-terminal
  std::string state;   // JSON state file
  std::string socket;  // control socket
  bool blank_reader = false;
  bool line_timing = false;  // delay replies by their time on the wire
};

// Runs until SIGINT or SIGTERM; returns the process exit status.
int RunServer(const ServerOptions& options);

}  // namespace readersim
