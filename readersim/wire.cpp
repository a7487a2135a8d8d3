#include "readersim/wire.h"

#include <cstdio>

namespace readersim {

std::uint8_t XorOf(std::span<const std::uint8_t> bytes) {
  std::uint8_t sum = 0;
  for (std::uint8_t b : bytes) sum ^= b;
  return sum;
}

Bytes BuildReply(std::uint8_t status, std::span<const std::uint8_t> payload) {
  Bytes reply;
  reply.reserve(payload.size() + 4);
  reply.push_back(status);
  reply.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
  reply.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
  reply.insert(reply.end(), payload.begin(), payload.end());
  reply.push_back(XorOf(reply));
  return reply;
}

void FrameAssembler::Feed(std::span<const std::uint8_t> bytes) {
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<HostFrame> FrameAssembler::Next(std::string& problem) {
  problem.clear();
  while (!buffer_.empty()) {
    const std::uint8_t leader = buffer_[0];
    if (leader != kLeaderLink && leader != kLeaderReader && leader != kLeaderCard) {
      char text[64];
      std::snprintf(text, sizeof text, "unknown leader byte %02X dropped", leader);
      problem = text;
      buffer_.erase(buffer_.begin());
      return std::nullopt;
    }
    if (buffer_.size() < 3) return std::nullopt;
    const std::size_t length = (std::size_t{buffer_[1]} << 8) | buffer_[2];
    if (length + 4 > kMaxFrame) {
      char text[80];
      std::snprintf(text, sizeof text, "frame length %zu exceeds %zu bytes; input dropped", length + 4, kMaxFrame);
      problem = text;
      buffer_.clear();
      return std::nullopt;
    }
    if (buffer_.size() < length + 4) return std::nullopt;
    HostFrame frame;
    frame.leader = leader;
    frame.payload.assign(buffer_.begin() + 3, buffer_.begin() + 3 + static_cast<std::ptrdiff_t>(length));
    frame.checksum_ok = XorOf(std::span(buffer_).first(length + 3)) == buffer_[length + 3];
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(length + 4));
    return frame;
  }
  return std::nullopt;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0xF];
  }
  return text;
}

}  // namespace readersim
