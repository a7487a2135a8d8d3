// The console of a command-line program: whether a standard stream is a
// terminal, an interrupt request (Ctrl-C) noticed without ending the
// process, and whether standard input has reached its end, asked without
// blocking.
#pragma once

#include <cstddef>
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

enum class LineRead { Read, Ended, NoTerminal };

// One line from standard input into `buffer`, for a secret: at most
// `capacity` bytes of it are kept (the rest of the line is read and
// dropped), nothing is written past them, and no other copy is made. With
// `hidden` standard input must be a terminal (NoTerminal otherwise), whose
// echo is off while the line is typed; a line end then goes to standard
// error in place of the one not echoed.
LineRead ReadSecretLine(char* buffer, std::size_t capacity, std::size_t& length, bool hidden);

}  // namespace platform
