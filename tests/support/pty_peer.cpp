#include "tests/support/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace testing_support {

namespace {

constexpr std::uint8_t kLeaderLink = 0x08;
constexpr std::uint8_t kLeaderReader = 0x28;
const Bytes kOk = {0x00, 0x00, 0x02, 0x90, 0x00, 0x92};

void SetStartingState(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return;
  t.c_lflag |= ICANON | ECHO | ECHOE | ISIG;
  t.c_iflag |= ICRNL;
  t.c_oflag |= OPOST;
  t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CSIZE);
  t.c_cflag |= CS8;
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  ::tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

PtyPeer::PtyPeer() {
  char name[128] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    master_ = slave_ = -1;
    return;
  }
  path_ = name;
  SetStartingState(slave_);
  thread_ = std::thread([this] { Serve(); });
}

PtyPeer::~PtyPeer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  HangUp();
  if (slave_ >= 0) ::close(slave_);
}

void PtyPeer::Answer(const Bytes& request, PeerReply reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  rules_.push_back({request, std::move(reply)});
}

std::vector<std::string> PtyPeer::Received() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return received_;
}

void PtyPeer::ClearReceived() {
  std::lock_guard<std::mutex> lock(mutex_);
  received_.clear();
}

void PtyPeer::HangUp() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void PtyPeer::Serve() {
  Bytes buffer;
  while (!stop_) {
    int fd = -1;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      fd = master_;
    }
    if (fd < 0) return;
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, 20) <= 0 || !(entry.revents & POLLIN)) continue;
    std::uint8_t chunk[512];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) continue;
    buffer.insert(buffer.end(), chunk, chunk + n);
    // Cut whole frames: leader, length (2 bytes), payload, checksum.
    while (buffer.size() >= 3) {
      const std::size_t total = (std::size_t{buffer[1]} << 8 | buffer[2]) + 4;
      if (buffer.size() < total) break;
      const Bytes frame(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(total));
      buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(total));
      Handle(frame);
    }
  }
}

void PtyPeer::Handle(const Bytes& frame) {
  PeerReply reply;
  bool scripted = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    received_.push_back(HexText(frame));
    for (auto rule = rules_.begin(); rule != rules_.end(); ++rule) {
      if (rule->request != frame) continue;
      reply = rule->reply;
      scripted = true;
      rules_.erase(rule);
      break;
    }
  }
  if (!scripted) {
    if (frame[0] != kLeaderLink && frame[0] != kLeaderReader) return;
    reply.bytes = kOk;
  }
  if (reply.hang_up) {
    HangUp();
    return;
  }
  Send(reply.bytes);
}

void PtyPeer::Send(const Bytes& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t sent = 0;
  while (master_ >= 0 && sent < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.data() + sent, bytes.size() - sent);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace testing_support
