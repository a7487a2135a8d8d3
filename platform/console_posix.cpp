#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "platform/console.h"

namespace platform {

namespace {

volatile sig_atomic_t interrupted = 0;
std::atomic<bool> input_ended{false};

void OnInterrupt(int) { interrupted = 1; }

int Descriptor(StandardStream stream) {
  switch (stream) {
    case StandardStream::Input: return STDIN_FILENO;
    case StandardStream::Output: return STDOUT_FILENO;
    case StandardStream::Error: break;
  }
  return STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) { return ::isatty(Descriptor(stream)) == 1; }

void CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

bool StandardInputEnded() {
  if (input_ended) return true;
  // Drains what is waiting; a read of 0 bytes is the end.
  while (true) {
    pollfd watch{STDIN_FILENO, POLLIN, 0};
    if (::poll(&watch, 1, 0) <= 0) return false;
    if ((watch.revents & (POLLIN | POLLHUP)) == 0) {
      input_ended = (watch.revents & POLLNVAL) != 0;
      return input_ended;
    }
    char discard[256];
    const ssize_t got = ::read(STDIN_FILENO, discard, sizeof discard);
    if (got <= 0) {
      input_ended = true;
      return true;
    }
  }
}

bool ReadStandardInputLine(std::string& line) {
  line.clear();
  while (true) {
    char c = 0;
    const ssize_t got = ::read(STDIN_FILENO, &c, 1);
    if (got <= 0) {
      input_ended = true;
      return false;
    }
    if (c == '\n') return true;
    if (c != '\r') line.push_back(c);
  }
}

LineRead ReadSecretLine(char* buffer, std::size_t capacity, std::size_t& length, bool hidden) {
  length = 0;
  termios saved{};
  if (hidden) {
    if (::isatty(STDIN_FILENO) != 1 || ::tcgetattr(STDIN_FILENO, &saved) != 0) return LineRead::NoTerminal;
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0) return LineRead::NoTerminal;
  }
  LineRead result = LineRead::Read;
  while (true) {
    char c = 0;
    const ssize_t got = ::read(STDIN_FILENO, &c, 1);
    if (got <= 0) {
      // The end, or Ctrl-C (the read is interrupted, not restarted).
      input_ended = got == 0;
      result = LineRead::Ended;
      break;
    }
    if (c == '\n') break;
    if (c != '\r' && length < capacity) buffer[length++] = c;
    c = 0;
  }
  if (hidden) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  return result;
}

}  // namespace platform
