#include "cardlib/frames.h"

#include <cstring>

#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

struct SpeedRow {
  std::uint32_t bits_per_second;
  std::uint8_t code;
};

constexpr SpeedRow kSpeedCodes[] = {
    {9600, 0x00}, {14400, 0x10}, {19200, 0x01}, {28800, 0x11}, {38400, 0x02}, {57600, 0x12},
};
constexpr std::uint8_t kSpeedCodeOther = 0x13;

struct StatusRow {
  std::uint8_t status;
  Detail detail;
};

// Both forms of each status byte (0x0?/0x8? and 0x2?/0xA?) are listed.
constexpr StatusRow kReaderStatuses[] = {
    {0x00, kLinkOk},         {0x20, kLinkOk},         {0x80, kReaderBusy},     {0xA0, kReaderBusy},
    {0x81, kReaderStatus81}, {0xA1, kReaderStatus81}, {0x82, kReaderStatus82}, {0xA2, kReaderStatus82},
    {0x83, kReaderStatus83}, {0xA3, kReaderStatus83}, {0x84, kReaderStatus84}, {0xA4, kReaderStatus84},
    {0x87, kReaderStatus87}, {0xA7, kReaderStatus87},
};

constexpr std::uint8_t kReaderCheckPayload[] = {0x00, 0x01, 0x00, 0x00, 0x01};
constexpr std::uint8_t kSetSpeedInstruction = 0x07;

}  // namespace

std::uint8_t XorChecksum(const std::uint8_t* bytes, std::size_t length) {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < length; ++i) sum ^= bytes[i];
  return sum;
}

Detail BuildFrame(std::uint8_t leader, const std::uint8_t* payload, std::size_t payload_length, std::uint8_t* out,
                  std::size_t capacity, std::size_t& length) {
  if (out == nullptr || capacity == 0 || (payload == nullptr && payload_length > 0)) return kFrameInvalidArgument;
  const std::size_t total = payload_length + kFrameOverhead;
  if (payload_length > kFrameMax || total > capacity || total > kFrameMax) return kFrameTooLarge;
  out[0] = leader;
  out[1] = static_cast<std::uint8_t>(payload_length >> 8);
  out[2] = static_cast<std::uint8_t>(payload_length);
  if (payload_length > 0) std::memmove(out + 3, payload, payload_length);
  out[3 + payload_length] = XorChecksum(out, 3 + payload_length);
  length = total;
  return kFrameOk;
}

Detail BuildReaderCheck(std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  return BuildFrame(kLeaderLink, kReaderCheckPayload, sizeof kReaderCheckPayload, out, capacity, length);
}

std::uint8_t SpeedCode(std::uint32_t bits_per_second) {
  for (const SpeedRow& row : kSpeedCodes) {
    if (row.bits_per_second == bits_per_second) return row.code;
  }
  return kSpeedCodeOther;
}

Detail BuildSetSpeed(std::uint32_t bits_per_second, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  const std::uint8_t payload[] = {0x00, kSetSpeedInstruction, SpeedCode(bits_per_second), 0x00};
  return BuildFrame(kLeaderLink, payload, sizeof payload, out, capacity, length);
}

Detail BuildReaderCommand(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2, const std::uint8_t* data,
                          std::size_t data_length, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  if ((data == nullptr && data_length > 0) || data_length > 0xFF) return kFrameInvalidArgument;
  std::uint8_t payload[4 + 1 + 0xFF];
  const ScopedWipe payload_wipe(payload, sizeof payload);  // it may carry sealed keys
  payload[0] = 0x00;
  payload[1] = instruction;
  payload[2] = p1;
  payload[3] = p2;
  std::size_t size = 4;
  if (data_length > 0) {
    payload[size++] = static_cast<std::uint8_t>(data_length);
    std::memcpy(payload + size, data, data_length);
    size += data_length;
  }
  return BuildFrame(kLeaderReader, payload, size, out, capacity, length);
}

std::size_t AnnouncedLength(const std::uint8_t* reply) { return static_cast<std::size_t>(reply[1]) << 8 | reply[2]; }

Detail ReaderStatusDetail(std::uint8_t status) {
  for (const StatusRow& row : kReaderStatuses) {
    if (row.status == status) return row.detail;
  }
  return kReaderProtocol;
}

Detail StatusWordDetail(const std::uint8_t* reply, std::size_t length) {
  if (reply == nullptr || length < kFrameOverhead) return kReaderProtocol;
  std::size_t payload = AnnouncedLength(reply);
  if (payload > length - kFrameOverhead) payload = length - kFrameOverhead;
  if (payload < 2) return kReaderProtocol;
  const std::uint8_t sw1 = reply[3 + payload - 2];
  const std::uint8_t sw2 = reply[3 + payload - 1];
  if (sw1 == 0x90 && sw2 == 0x00) return kLinkOk;
  return kStatusWordBase + (Detail{sw1} << 8) + sw2;
}

}  // namespace corvex
