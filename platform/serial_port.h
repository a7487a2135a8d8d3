// A serial port, opened without sharing, with the operations a serial link
// needs, named by what they do.
//
// Windows: CreateFileA for reading and writing, share mode 0, OPEN_EXISTING,
// FILE_FLAG_NO_BUFFERING | FILE_ATTRIBUTE_NORMAL; the line settings are the
// driver's DCB (GetCommState / SetCommState), the timeouts its COMMTIMEOUTS.
//
// POSIX: the device is opened read-write without becoming the controlling
// terminal, held with an exclusive flock() (and TIOCEXCL) so that a second
// open fails as share mode 0 makes it fail on Windows, and switched to raw
// mode (no line editing, echo, signals, output processing or software flow
// control), which is what a Windows COM port is. The line settings are
// termios; the Windows timeout rule is emulated with poll(). A port name such
// as "\\.\COM3" or "COM3" is looked up in the registry stand-in (registry.h)
// under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM, where Windows keeps
// its serial ports the same way: a value whose name is the device and whose
// data is the port name, for example "/dev/ttyUSB0"="COM3". An absolute path
// ("/dev/ttyUSB0", "/dev/pts/4") is opened as it is.
//
// A pseudo-terminal does not keep a parity setting, and a change that is
// nothing but parity is refused with EINVAL. The POSIX port therefore applies
// every other setting anyway and accepts a missing parity bit on a
// pseudo-terminal only; on any other device a setting that does not read back
// as written is a failure.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

enum class Parity { None, Odd, Even, Mark, Space };

// What the link changes of the port's line settings; everything else (stop
// bits, flow control, special characters) stays as the driver has it.
struct LineSettings {
  std::uint8_t data_bits = 8;  // 5 to 8
  Parity parity = Parity::None;
  bool parity_check = false;  // check the parity of incoming bytes
};

// The Windows timeout rule, in milliseconds. A read of n bytes ends when n
// bytes have arrived, or read_per_byte * n + read_constant after it began
// (no limit when both are 0), or when more than read_interval passes between
// two bytes (0: not used). read_interval 0xFFFFFFFF with both read totals 0
// returns at once with whatever has arrived. Writes likewise with the write
// totals.
struct SerialTimeouts {
  std::uint32_t read_interval = 0;
  std::uint32_t read_per_byte = 0;
  std::uint32_t read_constant = 0;
  std::uint32_t write_per_byte = 0;
  std::uint32_t write_constant = 0;
};

inline constexpr std::uint32_t kReadIntervalReturnAtOnce = 0xFFFFFFFFu;

class SerialPort {
 public:
  SerialPort() = default;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;
  ~SerialPort();  // closes the port if it is open

  // Opens `path` (see above). False when the port is missing, busy, cannot be
  // set to raw mode (POSIX) or this object already holds a port.
  bool Open(const char* path);
  bool IsOpen() const { return handle_ != kClosed; }

  // Drops everything waiting in both directions.
  bool Purge();

  bool ReadLineSettings(LineSettings& settings);
  // Reads the driver's settings again, changes the three fields and writes
  // them back.
  bool WriteLineSettings(const LineSettings& settings);

  // Speeds in bit/s. POSIX knows 1200 to 230400 of the usual steps (no 14400
  // or 28800); an unknown speed fails.
  bool ReadSpeed(std::uint32_t& bits_per_second);
  bool SetSpeed(std::uint32_t bits_per_second);

  bool ReadTimeouts(SerialTimeouts& timeouts);
  bool WriteTimeouts(const SerialTimeouts& timeouts);

  // Reads up to `size` bytes under the timeout rule. True with `got` < `size`
  // when the time ran out; false when the read failed (on POSIX also when the
  // other side of the line hung up).
  bool Read(void* data, std::size_t size, std::size_t& got);
  // Writes up to `size` bytes under the timeout rule; `written` may fall short
  // when the time ran out.
  bool Write(const void* data, std::size_t size, std::size_t& written);

  // Clears the port's error state after a failed read (Windows ClearCommError;
  // nothing to clear on POSIX).
  void ClearError();

  // False when the system refused to close the port. Windows then keeps the
  // handle open; a POSIX descriptor is released even then.
  bool Close();

 private:
  static constexpr std::intptr_t kClosed = -1;

  std::intptr_t handle_ = kClosed;
  SerialTimeouts timeouts_{};     // POSIX: the rule the reads and writes apply
  bool pseudo_terminal_ = false;  // POSIX: the port is a pseudo-terminal
};

}  // namespace platform
