// Frames on the serial line, as the reader sees them.
//
// Host frame:  leader (08 link, 28 reader, 2C card) | length (2, big-endian) |
//              payload | XOR of all preceding bytes.
// Reply frame: status | length (2, big-endian) | payload | XOR checksum.
//
// FrameAssembler cuts host frames out of the byte stream as it arrives, so
// split and concatenated writes are handled alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace readersim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kLeaderLink = 0x08;
inline constexpr std::uint8_t kLeaderReader = 0x28;
inline constexpr std::uint8_t kLeaderCard = 0x2C;
inline constexpr std::size_t kMaxFrame = 1024;  // the host builds frames in 1024-byte buffers

struct HostFrame {
  std::uint8_t leader = 0;
  Bytes payload;
  bool checksum_ok = true;
};

std::uint8_t XorOf(std::span<const std::uint8_t> bytes);

// status, big-endian length, payload, XOR checksum.
Bytes BuildReply(std::uint8_t status, std::span<const std::uint8_t> payload);

class FrameAssembler {
 public:
  void Feed(std::span<const std::uint8_t> bytes);

  // The next complete frame, if one has arrived. Bytes that cannot start a
  // frame are dropped one at a time and reported through `problem`.
  std::optional<HostFrame> Next(std::string& problem);

  bool HasPartial() const { return !buffer_.empty(); }
  std::size_t PartialSize() const { return buffer_.size(); }
  void Clear() { buffer_.clear(); }

 private:
  Bytes buffer_;
};

std::string Hex(std::span<const std::uint8_t> bytes);

}  // namespace readersim
