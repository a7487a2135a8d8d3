// The reader frames the card library's tests expect on the line, as hex
// text, the reply frame a scripted reader sends back, and bytes to and from
// hex text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

// "08 00 05" or "080005" into bytes; spaces are ignored.
inline Bytes Hex(const std::string& text) {
  std::string digits;
  for (const char c : text) {
    if (c != ' ') digits += c;
  }
  if (digits.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits");
  Bytes bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// Bytes as "08 00 05".
inline std::string HexText(const std::uint8_t* bytes, std::size_t length) {
  std::string text;
  char item[4];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(item, sizeof item, i == 0 ? "%02X" : " %02X", bytes[i]);
    text += item;
  }
  return text;
}
inline std::string HexText(const Bytes& bytes) { return HexText(bytes.data(), bytes.size()); }

// Link and reader commands of the opening and closing, checksum included.
inline constexpr const char* kReaderCheck = "08 00 05 00 01 00 00 01 0D";
inline constexpr const char* kSpeed115200 = "08 00 04 00 07 13 00 18";
inline constexpr const char* kSpeed9600 = "08 00 04 00 07 00 00 0B";
inline constexpr const char* kReset = "28 00 04 00 01 00 00 2D";
inline constexpr const char* kModeOn = "28 00 04 00 11 01 00 3C";
inline constexpr const char* kModeOff = "28 00 04 00 11 00 00 3D";
inline constexpr const char* kSetup = "28 00 04 00 13 04 05 3E";

// A reply frame: `status`, the big-endian payload length, the payload and
// the XOR of everything before it.
inline Bytes ReplyFrame(std::uint8_t status, const Bytes& payload) {
  Bytes frame(payload.size() + 4);
  frame[0] = status;
  frame[1] = static_cast<std::uint8_t>(payload.size() >> 8);
  frame[2] = static_cast<std::uint8_t>(payload.size());
  std::uint8_t sum = frame[0] ^ frame[1] ^ frame[2];
  for (std::size_t i = 0; i < payload.size(); ++i) {
    frame[3 + i] = payload[i];
    sum ^= payload[i];
  }
  frame.back() = sum;
  return frame;
}

}  // namespace testing_support
