// What the reader link needs from a serial port. The library uses the real
// port (system_port.h); tests put a scripted port or a pseudo-terminal behind
// the same interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/serial_port.h"

namespace corvex {

class LinkPort {
 public:
  virtual ~LinkPort() = default;

  virtual bool Open(const char* path) = 0;
  virtual bool IsOpen() const = 0;
  virtual bool Purge() = 0;
  virtual bool ReadLineSettings(platform::LineSettings& settings) = 0;
  virtual bool WriteLineSettings(const platform::LineSettings& settings) = 0;
  virtual bool ReadSpeed(std::uint32_t& bits_per_second) = 0;
  virtual bool SetSpeed(std::uint32_t bits_per_second) = 0;
  virtual bool ReadTimeouts(platform::SerialTimeouts& timeouts) = 0;
  virtual bool WriteTimeouts(const platform::SerialTimeouts& timeouts) = 0;
  // As platform::SerialPort: true with fewer bytes when the time ran out.
  virtual bool Read(std::uint8_t* data, std::size_t size, std::size_t& got) = 0;
  virtual bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written) = 0;
  virtual void ClearError() = 0;
  virtual bool Close() = 0;
  // The link's pauses between reads and before a resend.
  virtual void Pause(std::uint32_t milliseconds) = 0;
  // A steady clock in milliseconds, for the link's time limit.
  virtual std::uint64_t Now() = 0;
};

}  // namespace corvex
