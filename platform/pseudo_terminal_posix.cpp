#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

std::optional<PseudoTerminal> OpenPseudoTerminal() {
  const int controller = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (controller < 0) return std::nullopt;
  char name[128] = {};
  if (::grantpt(controller) != 0 || ::unlockpt(controller) != 0 || ::ptsname_r(controller, name, sizeof name) != 0) {
    ::close(controller);
    return std::nullopt;
  }
  // Set the device end's starting state through a short-lived descriptor;
  // a pseudo-terminal keeps its settings after that descriptor is closed.
  const int device = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (device < 0) {
    ::close(controller);
    return std::nullopt;
  }
  termios settings{};
  if (::tcgetattr(device, &settings) == 0) {
    // No software flow control: a serial driver of a real device reports
    // none, and a host that keeps the driver's flow control as it finds it
    // (as a Windows host does) would otherwise lose every byte 0x11 and 0x13.
    settings.c_iflag = ICRNL;
    settings.c_oflag = OPOST | ONLCR;
    settings.c_cflag = CS8 | CREAD | CLOCAL;
    settings.c_lflag = ICANON | ECHO | ECHOE | ECHOK | ISIG | IEXTEN;
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    ::tcsetattr(device, TCSANOW, &settings);
  }
  ::close(device);
  const int flags = ::fcntl(controller, F_GETFL);
  ::fcntl(controller, F_SETFL, flags | O_NONBLOCK);
  return PseudoTerminal{controller, name};
}

bool DeviceEndIsOpen(int controller) {
  // With no process holding the device end, the controller reports a hang-up.
  pollfd entry{controller, POLLIN, 0};
  if (::poll(&entry, 1, 0) < 0) return false;
  return (entry.revents & POLLHUP) == 0;
}

bool PointLink(const std::string& link, const std::string& target) {
  const std::string temporary = link + ".new";
  ::unlink(temporary.c_str());
  if (::symlink(target.c_str(), temporary.c_str()) != 0) return false;
  if (::rename(temporary.c_str(), link.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

IoResult ReadAvailable(int descriptor, std::uint8_t* data, std::size_t size, std::size_t& got) {
  got = 0;
  for (;;) {
    const ssize_t n = ::read(descriptor, data, size);
    if (n > 0) {
      got = static_cast<std::size_t>(n);
      return IoResult::Done;
    }
    if (n == 0) return IoResult::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::WouldBlock;
    if (errno == EIO) return IoResult::Closed;  // a pseudo-terminal whose device end was closed
    return IoResult::Failed;
  }
}

IoResult WriteAvailable(int descriptor, const std::uint8_t* data, std::size_t size, std::size_t& written) {
  written = 0;
  for (;;) {
    const ssize_t n = ::write(descriptor, data, size);
    if (n >= 0) {
      written = static_cast<std::size_t>(n);
      return IoResult::Done;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return IoResult::WouldBlock;
    if (errno == EIO || errno == EPIPE) return IoResult::Closed;
    return IoResult::Failed;
  }
}

void CloseDescriptor(int descriptor) {
  if (descriptor >= 0) ::close(descriptor);
}

bool WaitForInput(std::span<const int> descriptors, std::chrono::nanoseconds timeout, std::vector<bool>& ready) {
  std::vector<pollfd> entries;
  entries.reserve(descriptors.size());
  for (int d : descriptors) entries.push_back({d, POLLIN, 0});
  if (timeout.count() < 0) timeout = std::chrono::nanoseconds(0);
  timespec wait{};
  wait.tv_sec = static_cast<time_t>(timeout.count() / 1000000000);
  wait.tv_nsec = static_cast<long>(timeout.count() % 1000000000);
  const int n = ::ppoll(entries.data(), entries.size(), &wait, nullptr);
  ready.assign(descriptors.size(), false);
  if (n < 0) return errno == EINTR;
  for (std::size_t i = 0; i < entries.size(); ++i) ready[i] = entries[i].revents != 0;
  return true;
}

void IgnoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }

namespace {

volatile sig_atomic_t stop_signalled = 0;

void OnStopSignal(int) { stop_signalled = 1; }

}  // namespace

void WatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  ::sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalled() { return stop_signalled != 0; }

namespace {

bool FillAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

int ListenLocal(const std::string& path) {
  sockaddr_un address{};
  if (!FillAddress(path, address)) return -1;
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listener < 0) return -1;
  ::unlink(path.c_str());
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0) {
    ::close(listener);
    return -1;
  }
  return listener;
}

int AcceptLocal(int listener) {
  const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  return client;
}

int ConnectLocal(const std::string& path) {
  sockaddr_un address{};
  if (!FillAddress(path, address)) return -1;
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return -1;
  if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(socket);
    return -1;
  }
  return socket;
}

bool SendAll(int descriptor, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::send(descriptor, bytes, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool ReceiveSome(int descriptor, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(descriptor, buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
  }
}

}  // namespace platform
