#include <windows.h>

#include <atomic>

#include "platform/console.h"

namespace platform {

namespace {

std::atomic<bool> interrupted{false};
std::atomic<bool> input_ended{false};

BOOL WINAPI OnControl(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    interrupted = true;
    return TRUE;
  }
  return FALSE;
}

HANDLE Handle(StandardStream stream) {
  switch (stream) {
    case StandardStream::Input: return ::GetStdHandle(STD_INPUT_HANDLE);
    case StandardStream::Output: return ::GetStdHandle(STD_OUTPUT_HANDLE);
    case StandardStream::Error: break;
  }
  return ::GetStdHandle(STD_ERROR_HANDLE);
}

// Console input: key events are dropped; Ctrl-Z ends the input.
bool ConsoleInputEnded(HANDLE input) {
  DWORD waiting = 0;
  while (::GetNumberOfConsoleInputEvents(input, &waiting) && waiting > 0) {
    INPUT_RECORD record{};
    DWORD got = 0;
    if (!::ReadConsoleInputA(input, &record, 1, &got) || got == 0) return false;
    if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
        record.Event.KeyEvent.uChar.AsciiChar == 0x1A) {
      return true;
    }
  }
  return false;
}

// A pipe: waiting bytes are dropped; a broken pipe is the end. A pipe that
// cannot be peeked at (Wine's pipes from the host refuse it) is taken as
// open: its end cannot be seen without blocking.
bool PipeInputEnded(HANDLE input) {
  while (true) {
    DWORD available = 0;
    if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
      const DWORD error = ::GetLastError();
      return error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED;
    }
    if (available == 0) return false;
    char discard[256];
    DWORD got = 0;
    if (!::ReadFile(input, discard, sizeof discard < available ? sizeof discard : available, &got, nullptr) ||
        got == 0) {
      return true;
    }
  }
}

}  // namespace

bool IsTerminal(StandardStream stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(Handle(stream), &mode) != 0;
}

void CatchInterrupt() { ::SetConsoleCtrlHandler(OnControl, TRUE); }

bool InterruptRequested() { return interrupted; }

bool StandardInputEnded() {
  if (input_ended) return true;
  const HANDLE input = Handle(StandardStream::Input);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return input_ended = true;
  DWORD mode = 0;
  if (::GetConsoleMode(input, &mode)) return input_ended = ConsoleInputEnded(input);
  switch (::GetFileType(input)) {
    case FILE_TYPE_PIPE: return input_ended = PipeInputEnded(input);
    case FILE_TYPE_DISK:
      // A file given as input has nothing more to come.
      return input_ended = true;
    default: return false;
  }
}

bool ReadStandardInputLine(std::string& line) {
  line.clear();
  const HANDLE input = Handle(StandardStream::Input);
  while (true) {
    char c = 0;
    DWORD got = 0;
    if (!::ReadFile(input, &c, 1, &got, nullptr) || got == 0 || c == 0x1A) {
      input_ended = true;
      return false;
    }
    if (c == '\n') return true;
    if (c != '\r') line.push_back(c);
  }
}

LineRead ReadSecretLine(char* buffer, std::size_t capacity, std::size_t& length, bool hidden) {
  length = 0;
  const HANDLE input = Handle(StandardStream::Input);
  DWORD saved = 0;
  if (hidden) {
    if (!::GetConsoleMode(input, &saved) ||
        !::SetConsoleMode(input, (saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT)) {
      return LineRead::NoTerminal;
    }
  }
  LineRead result = LineRead::Read;
  while (true) {
    char c = 0;
    DWORD got = 0;
    if (!::ReadFile(input, &c, 1, &got, nullptr) || got == 0 || c == 0x1A) {
      input_ended = true;
      result = LineRead::Ended;
      break;
    }
    if (c == '\n') break;
    if (c != '\r' && length < capacity) buffer[length++] = c;
    c = 0;
  }
  if (hidden) {
    ::SetConsoleMode(input, saved);
    DWORD written = 0;
    ::WriteFile(Handle(StandardStream::Error), "\r\n", 2, &written, nullptr);
  }
  return result;
}

}  // namespace platform
