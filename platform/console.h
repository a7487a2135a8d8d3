// The console of a command-line program: whether a standard stream is a
// terminal, an interrupt request (Ctrl-C) noticed without ending the
// process, and whether standard input has reached its end, asked without
// blocking.
#pragma once

#include <string>

namespace platform {

enum class StandardStream { Input, Output, Error };

// True when the stream is an interactive terminal (a console on Windows).
bool IsTerminal(StandardStream stream);

// From now on Ctrl-C (and on POSIX SIGTERM) only sets a flag that
// InterruptRequested() reports, so that the program can stop cleanly.
void CatchInterrupt();
bool InterruptRequested();

// True once standard input is at its end (closed pipe, end of a file, Ctrl-D
// or Ctrl-Z on a terminal). Never blocks; input that is waiting is consumed
// and dropped.
bool StandardInputEnded();

// One line from standard input without its line end; false at its end.
bool ReadStandardInputLine(std::string& line);

}  // namespace platform
