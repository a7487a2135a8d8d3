// Pseudo-terminals and the other descriptor work of the device stand-in
// (POSIX only: the stand-in runs on Linux, where a serial program opens the
// pseudo-terminal's device path as its port).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct PseudoTerminal {
  int controller = -1;      // our end: what the serial program writes arrives here
  std::string device_path;  // the end a serial program opens, e.g. /dev/pts/7
};

// A new pseudo-terminal. Its device end starts as a fresh terminal would:
// canonical input with echo, no parity, 9600 bit/s, so that any serial
// program's configuration really changes it. The controller is non-blocking.
std::optional<PseudoTerminal> OpenPseudoTerminal();

// True while some process holds the device end open.
bool DeviceEndIsOpen(int controller);

// Makes `link` a symbolic link to `target`, replacing what was there in one step.
bool PointLink(const std::string& link, const std::string& target);

enum class IoResult { Done, WouldBlock, Closed, Failed };

// Reads what is there (up to `size` bytes) without waiting.
IoResult ReadAvailable(int descriptor, std::uint8_t* data, std::size_t size, std::size_t& got);
// Writes as much as fits now without waiting.
IoResult WriteAvailable(int descriptor, const std::uint8_t* data, std::size_t size, std::size_t& written);
void CloseDescriptor(int descriptor);

// Waits until one of `descriptors` has input or was hung up, or `timeout`
// passes. `ready[i]` tells which; false when the wait itself failed.
bool WaitForInput(std::span<const int> descriptors, std::chrono::nanoseconds timeout, std::vector<bool>& ready);

// Writing to a closed pipe, socket or terminal fails with an error instead of
// ending the process.
void IgnoreBrokenPipes();

// After this, SIGINT and SIGTERM no longer end the process but make
// StopSignalled() true, so a server can clean up and leave.
void WatchStopSignals();
bool StopSignalled();

// A listening Unix-domain stream socket at `path` (a stale one is replaced);
// -1 on failure. Accepted and connected sockets are blocking.
int ListenLocal(const std::string& path);
int AcceptLocal(int listener);
int ConnectLocal(const std::string& path);

// Blocking whole-buffer transfer on a socket; false on failure or end of stream.
bool SendAll(int descriptor, const void* data, std::size_t size);
bool ReceiveSome(int descriptor, std::string& into);

}  // namespace platform
