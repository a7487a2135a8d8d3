// POSIX serial ports: termios in raw mode, exclusive flock(), and the Windows
// timeout rule emulated with poll().
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ascii_case.h"
#include "platform/registry_file.h"
#include "platform/serial_port.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

struct SpeedCode {
  std::uint32_t bits_per_second;
  speed_t code;
};

constexpr std::array<SpeedCode, 9> kSpeeds{{
    {1200, B1200},
    {2400, B2400},
    {4800, B4800},
    {9600, B9600},
    {19200, B19200},
    {38400, B38400},
    {57600, B57600},
    {115200, B115200},
    {230400, B230400},
}};

// Unix98 pseudo-terminal slaves use these device majors.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

constexpr tcflag_t kParityBits = PARENB | PARODD | CMSPAR;

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr const char* kSerialMapKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

// The device behind a port name: an absolute path as it is, otherwise the
// SERIALCOMM value whose data is the name.
std::optional<std::string> DevicePath(std::string_view name) {
  if (name.substr(0, kDevicePrefix.size()) == kDevicePrefix) name.remove_prefix(kDevicePrefix.size());
  if (name.empty()) return std::nullopt;
  if (name.front() == '/') return std::string(name);
  try {
    for (const auto& [device, value] : LoadRegistryFile().ValuesOf(RegistryRoot::LocalMachine, kSerialMapKey)) {
      if (value.type != RegistryType::String) continue;
      std::string_view port(value.data);
      if (!port.empty() && port.back() == '\0') port.remove_suffix(1);
      if (EqualNoCase(port, name) && !device.empty() && device.front() == '/') return device;
    }
  } catch (const std::bad_alloc&) {
  }
  return std::nullopt;
}

void MakeRaw(termios& t) {
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 0;  // reads never wait in the driver: poll() does the waiting
  t.c_cc[VTIME] = 0;
}

bool SameSettings(const termios& a, const termios& b, tcflag_t ignored_cflag) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
         (a.c_cflag & ~ignored_cflag) == (b.c_cflag & ~ignored_cflag) && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

int TimeLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

// Waits until the descriptor is ready for `events`; 0 on time-out, -1 on error
// or hang-up, 1 when ready.
int WaitFor(int fd, short events, int milliseconds) {
  pollfd entry{fd, events, 0};
  for (;;) {
    const int n = ::poll(&entry, 1, milliseconds);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? -1 : 0;
    if (entry.revents & events) return 1;
    return -1;  // POLLHUP, POLLERR or POLLNVAL without the event asked for
  }
}

// Applies `wanted` and checks that it reads back as asked. A pseudo-terminal
// refuses a change of nothing but parity and never keeps the parity bits:
// there (and only there) the rest is applied without them.
bool ApplySettings(int fd, const termios& wanted, bool pseudo_terminal) {
  if (::tcsetattr(fd, TCSANOW, &wanted) != 0) {
    if (!pseudo_terminal || errno != EINVAL) return false;
    termios current{};
    if (::tcgetattr(fd, &current) != 0) return false;
    termios without_parity = wanted;
    without_parity.c_cflag = (wanted.c_cflag & ~kParityBits) | (current.c_cflag & kParityBits);
    if (!SameSettings(without_parity, current, 0) && ::tcsetattr(fd, TCSANOW, &without_parity) != 0) return false;
  }
  termios now{};
  if (::tcgetattr(fd, &now) != 0) return false;
  return SameSettings(now, wanted, pseudo_terminal ? kParityBits : 0);
}

}  // namespace

SerialPort::~SerialPort() {
  if (IsOpen()) Close();
}

bool SerialPort::Open(const char* path) {
  if (IsOpen() || path == nullptr) return false;
  std::optional<std::string> device = DevicePath(path);
  if (!device) return false;
  int fd = -1;
  do {
    fd = ::open(device->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  bool terminal = ::isatty(fd) == 1;
  if (terminal) {
    ::ioctl(fd, TIOCEXCL);
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
      ::close(fd);
      return false;
    }
    termios raw = settings;
    MakeRaw(raw);
    if (!SameSettings(raw, settings, 0) && ::tcsetattr(fd, TCSANOW, &raw) != 0) {
      ::close(fd);
      return false;
    }
  }
  // Anything else that opens (a plain file, say) fails at its first setting,
  // as CreateFileA on a file succeeds and GetCommState then fails.
  struct stat info {};
  pseudo_terminal_ = terminal && ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) &&
                     major(info.st_rdev) >= kPtySlaveMajorFirst && major(info.st_rdev) <= kPtySlaveMajorLast;
  timeouts_ = SerialTimeouts{};
  handle_ = fd;
  return true;
}

bool SerialPort::Purge() { return IsOpen() && ::tcflush(static_cast<int>(handle_), TCIOFLUSH) == 0; }

bool SerialPort::ReadLineSettings(LineSettings& settings) {
  termios t{};
  if (!IsOpen() || ::tcgetattr(static_cast<int>(handle_), &t) != 0) return false;
  switch (t.c_cflag & CSIZE) {
    case CS5: settings.data_bits = 5; break;
    case CS6: settings.data_bits = 6; break;
    case CS7: settings.data_bits = 7; break;
    default: settings.data_bits = 8; break;
  }
  if (!(t.c_cflag & PARENB)) {
    settings.parity = Parity::None;
  } else if (t.c_cflag & CMSPAR) {
    settings.parity = t.c_cflag & PARODD ? Parity::Mark : Parity::Space;
  } else {
    settings.parity = t.c_cflag & PARODD ? Parity::Odd : Parity::Even;
  }
  settings.parity_check = (t.c_iflag & INPCK) != 0;
  return true;
}

bool SerialPort::WriteLineSettings(const LineSettings& settings) {
  const int fd = static_cast<int>(handle_);
  termios t{};
  if (!IsOpen() || ::tcgetattr(fd, &t) != 0) return false;
  static constexpr std::array<tcflag_t, 4> kSizes{CS5, CS6, CS7, CS8};
  if (settings.data_bits < 5 || settings.data_bits > 8) return false;
  t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | kSizes[settings.data_bits - 5];
  t.c_cflag &= ~kParityBits;
  switch (settings.parity) {
    case Parity::None: break;
    case Parity::Odd: t.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: t.c_cflag |= PARENB; break;
    case Parity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
  }
  if (settings.parity_check) {
    t.c_iflag |= INPCK;
  } else {
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
  }
  return ApplySettings(fd, t, pseudo_terminal_);
}

bool SerialPort::ReadSpeed(std::uint32_t& bits_per_second) {
  termios t{};
  if (!IsOpen() || ::tcgetattr(static_cast<int>(handle_), &t) != 0) return false;
  const speed_t code = cfgetospeed(&t);
  for (const SpeedCode& speed : kSpeeds) {
    if (speed.code == code) {
      bits_per_second = speed.bits_per_second;
      return true;
    }
  }
  return false;
}

bool SerialPort::SetSpeed(std::uint32_t bits_per_second) {
  const auto speed = std::find_if(kSpeeds.begin(), kSpeeds.end(),
                                  [&](const SpeedCode& s) { return s.bits_per_second == bits_per_second; });
  const int fd = static_cast<int>(handle_);
  termios t{};
  if (speed == kSpeeds.end() || !IsOpen() || ::tcgetattr(fd, &t) != 0) return false;
  if (::cfsetispeed(&t, speed->code) != 0 || ::cfsetospeed(&t, speed->code) != 0) return false;
  return ApplySettings(fd, t, pseudo_terminal_);
}

bool SerialPort::ReadTimeouts(SerialTimeouts& timeouts) {
  if (!IsOpen()) return false;
  timeouts = timeouts_;
  return true;
}

bool SerialPort::WriteTimeouts(const SerialTimeouts& timeouts) {
  if (!IsOpen()) return false;
  timeouts_ = timeouts;
  return true;
}

bool SerialPort::Read(void* data, std::size_t size, std::size_t& got) {
  got = 0;
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  auto* bytes = static_cast<unsigned char*>(data);
  const SerialTimeouts& rule = timeouts_;
  const bool at_once =
      rule.read_interval == kReadIntervalReturnAtOnce && rule.read_per_byte == 0 && rule.read_constant == 0;
  const std::uint64_t total = std::uint64_t{rule.read_per_byte} * size + rule.read_constant;
  const bool limited = total > 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total);
  const bool interval = rule.read_interval > 0 && rule.read_interval != kReadIntervalReturnAtOnce;

  while (got < size) {
    int wait = limited ? TimeLeft(deadline) : -1;
    bool interval_wait = false;
    if (at_once) {
      wait = 0;
    } else if (interval && got > 0 && (wait < 0 || static_cast<std::uint32_t>(wait) > rule.read_interval)) {
      wait = static_cast<int>(std::min<std::uint32_t>(rule.read_interval, 0x7FFFFFFF));
      interval_wait = true;
    }
    const int ready = WaitFor(fd, POLLIN, wait);
    if (ready < 0) return false;
    if (ready == 0) {
      if (at_once || interval_wait || (limited && TimeLeft(deadline) == 0)) break;
      continue;
    }
    const ssize_t n = ::read(fd, bytes + got, size - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n == 0) {
      return false;  // end of file: the other side is gone
    } else if (errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return true;
}

bool SerialPort::Write(const void* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::uint64_t total = std::uint64_t{timeouts_.write_per_byte} * size + timeouts_.write_constant;
  const bool limited = total > 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total);
  while (written < size) {
    const int ready = WaitFor(fd, POLLOUT, limited ? TimeLeft(deadline) : -1);
    if (ready < 0) return false;
    if (ready == 0) break;
    const ssize_t n = ::write(fd, bytes + written, size - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return true;
}

void SerialPort::ClearError() {}

bool SerialPort::Close() {
  if (!IsOpen()) return false;
  const int fd = static_cast<int>(handle_);
  handle_ = kClosed;
  ::ioctl(fd, TIOCNXCL);
  return ::close(fd) == 0;  // the descriptor is released even when close() reports an error
}

}  // namespace platform
