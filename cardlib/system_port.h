// The link port of the running library: the platform's serial port, the
// platform's sleep and the standard steady clock.
#pragma once

#include "cardlib/link_port.h"
#include "platform/serial_port.h"

namespace corvex {

class SystemPort final : public LinkPort {
 public:
  bool Open(const char* path) override { return port_.Open(path); }
  bool IsOpen() const override { return port_.IsOpen(); }
  bool Purge() override { return port_.Purge(); }
  bool ReadLineSettings(platform::LineSettings& settings) override { return port_.ReadLineSettings(settings); }
  bool WriteLineSettings(const platform::LineSettings& settings) override { return port_.WriteLineSettings(settings); }
  bool ReadSpeed(std::uint32_t& bits_per_second) override { return port_.ReadSpeed(bits_per_second); }
  bool SetSpeed(std::uint32_t bits_per_second) override { return port_.SetSpeed(bits_per_second); }
  bool ReadTimeouts(platform::SerialTimeouts& timeouts) override { return port_.ReadTimeouts(timeouts); }
  bool WriteTimeouts(const platform::SerialTimeouts& timeouts) override { return port_.WriteTimeouts(timeouts); }
  bool Read(std::uint8_t* data, std::size_t size, std::size_t& got) override { return port_.Read(data, size, got); }
  bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written) override {
    return port_.Write(data, size, written);
  }
  void ClearError() override { port_.ClearError(); }
  bool Close() override { return port_.Close(); }
  void Pause(std::uint32_t milliseconds) override;
  std::uint64_t Now() override;

 private:
  platform::SerialPort port_;
};

}  // namespace corvex
