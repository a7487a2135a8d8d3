// Windows serial ports: CreateFileA without sharing, the driver's DCB and
// COMMTIMEOUTS.
#include <windows.h>

#include "platform/serial_port.h"

namespace platform {

namespace {

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool ReadState(HANDLE port, DCB& state) {
  state = DCB{};
  state.DCBlength = sizeof(DCB);
  return ::GetCommState(port, &state) != 0;
}

BYTE ParityCode(Parity parity) {
  switch (parity) {
    case Parity::None: return NOPARITY;
    case Parity::Odd: return ODDPARITY;
    case Parity::Even: return EVENPARITY;
    case Parity::Mark: return MARKPARITY;
    case Parity::Space: return SPACEPARITY;
  }
  return NOPARITY;
}

Parity ParityOf(BYTE code) {
  switch (code) {
    case ODDPARITY: return Parity::Odd;
    case EVENPARITY: return Parity::Even;
    case MARKPARITY: return Parity::Mark;
    case SPACEPARITY: return Parity::Space;
    default: return Parity::None;
  }
}

DWORD Clamp(std::size_t size) { return size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size); }

}  // namespace

SerialPort::~SerialPort() {
  if (IsOpen()) Close();
}

bool SerialPort::Open(const char* path) {
  if (IsOpen() || path == nullptr) return false;
  HANDLE port = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_NO_BUFFERING | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (port == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(port);
  return true;
}

bool SerialPort::Purge() { return IsOpen() && ::PurgeComm(Native(handle_), PURGE_TXCLEAR | PURGE_RXCLEAR) != 0; }

bool SerialPort::ReadLineSettings(LineSettings& settings) {
  DCB state;
  if (!IsOpen() || !ReadState(Native(handle_), state)) return false;
  settings.data_bits = state.ByteSize;
  settings.parity = ParityOf(state.Parity);
  settings.parity_check = state.fParity != 0;
  return true;
}

bool SerialPort::WriteLineSettings(const LineSettings& settings) {
  DCB state;
  if (!IsOpen() || !ReadState(Native(handle_), state)) return false;
  state.fParity = settings.parity_check ? TRUE : FALSE;
  state.ByteSize = settings.data_bits;
  state.Parity = ParityCode(settings.parity);
  return ::SetCommState(Native(handle_), &state) != 0;
}

bool SerialPort::ReadSpeed(std::uint32_t& bits_per_second) {
  DCB state;
  if (!IsOpen() || !ReadState(Native(handle_), state)) return false;
  bits_per_second = state.BaudRate;
  return true;
}

bool SerialPort::SetSpeed(std::uint32_t bits_per_second) {
  DCB state;
  if (!IsOpen() || !ReadState(Native(handle_), state)) return false;
  state.BaudRate = bits_per_second;
  return ::SetCommState(Native(handle_), &state) != 0;
}

bool SerialPort::ReadTimeouts(SerialTimeouts& timeouts) {
  COMMTIMEOUTS native{};
  if (!IsOpen() || !::GetCommTimeouts(Native(handle_), &native)) return false;
  timeouts.read_interval = native.ReadIntervalTimeout;
  timeouts.read_per_byte = native.ReadTotalTimeoutMultiplier;
  timeouts.read_constant = native.ReadTotalTimeoutConstant;
  timeouts.write_per_byte = native.WriteTotalTimeoutMultiplier;
  timeouts.write_constant = native.WriteTotalTimeoutConstant;
  return true;
}

bool SerialPort::WriteTimeouts(const SerialTimeouts& timeouts) {
  COMMTIMEOUTS native{};
  native.ReadIntervalTimeout = timeouts.read_interval;
  native.ReadTotalTimeoutMultiplier = timeouts.read_per_byte;
  native.ReadTotalTimeoutConstant = timeouts.read_constant;
  native.WriteTotalTimeoutMultiplier = timeouts.write_per_byte;
  native.WriteTotalTimeoutConstant = timeouts.write_constant;
  return IsOpen() && ::SetCommTimeouts(Native(handle_), &native) != 0;
}

bool SerialPort::Read(void* data, std::size_t size, std::size_t& got) {
  got = 0;
  DWORD read = 0;
  if (!IsOpen() || !::ReadFile(Native(handle_), data, Clamp(size), &read, nullptr)) return false;
  got = read;
  return true;
}

bool SerialPort::Write(const void* data, std::size_t size, std::size_t& written) {
  written = 0;
  DWORD wrote = 0;
  if (!IsOpen() || !::WriteFile(Native(handle_), data, Clamp(size), &wrote, nullptr)) return false;
  written = wrote;
  return true;
}

void SerialPort::ClearError() {
  if (!IsOpen()) return;
  DWORD errors = 0;
  COMSTAT status{};
  ::ClearCommError(Native(handle_), &errors, &status);
}

bool SerialPort::Close() {
  if (!IsOpen()) return false;
  if (!::CloseHandle(Native(handle_))) return false;  // the handle stays recorded as open
  handle_ = kClosed;
  return true;
}

}  // namespace platform
