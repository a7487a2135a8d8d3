// Reader frames: the clear frame every command is sent as, the link and
// reader commands, and the parts of a reply every command shares.
//
//   exports -> device -> reader link -> [frames] (pure byte functions)
//
// Frame:  leader (0x08 link, 0x28 reader, 0x2C card command), payload length
//         L (big-endian, 2 bytes), L payload bytes, XOR of all bytes before.
// Reply:  reader status byte, L (2 bytes), L payload bytes, checksum (which
//         nobody checks).
//
// Builders write into a caller's buffer of `capacity` bytes and set `length`.
// They refuse a null pointer, a zero capacity or a count out of range with
// 0x4000001 and a frame longer than the buffer or than 1024 bytes with
// 0x4000002; on failure nothing is written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cardlib/error_detail.h"

namespace corvex {

inline constexpr std::size_t kFrameMax = 1024;    // every frame and reply fits this
inline constexpr std::size_t kFrameOverhead = 4;  // leader or status, length, checksum
inline constexpr std::uint8_t kLeaderLink = 0x08;
inline constexpr std::uint8_t kLeaderReader = 0x28;
inline constexpr std::uint8_t kLeaderCard = 0x2C;

// XOR of `length` bytes.
std::uint8_t XorChecksum(const std::uint8_t* bytes, std::size_t length);

// leader, L, payload, checksum.
Detail BuildFrame(std::uint8_t leader, const std::uint8_t* payload, std::size_t payload_length, std::uint8_t* out,
                  std::size_t capacity, std::size_t& length);

// Link command "reader check": 08 00 05 | 00 01 00 00 01 | checksum.
Detail BuildReaderCheck(std::uint8_t* out, std::size_t capacity, std::size_t& length);

// The reader's code for a line speed: 9600 0x00, 14400 0x10, 19200 0x01,
// 28800 0x11, 38400 0x02, 57600 0x12, anything else (115200) 0x13.
std::uint8_t SpeedCode(std::uint32_t bits_per_second);

// Link command "set speed": 08 00 04 | 00 07 S 00 | checksum.
Detail BuildSetSpeed(std::uint32_t bits_per_second, std::uint8_t* out, std::size_t capacity, std::size_t& length);

// Reader command: 28, L, 00 instruction p1 p2, then (only when data_length
// is above 0) the length byte and the data (at most 255 bytes).
Detail BuildReaderCommand(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2, const std::uint8_t* data,
                          std::size_t data_length, std::uint8_t* out, std::size_t capacity, std::size_t& length);

// The payload length a reply's header announces (bytes 1 and 2).
std::size_t AnnouncedLength(const std::uint8_t* reply);

// The reader status byte's detail: 0x00 and 0x20 success (0x2000000),
// 0x80/0xA0 0x2000100 (resend), 0x81/0xA1 0x2000200, 0x82/0xA2 0x2000300,
// 0x83/0xA3 0x2000400, 0x84/0xA4 0x2000500, 0x87/0xA7 0x2000600, anything
// else 0x2000700.
Detail ReaderStatusDetail(std::uint8_t status);

// The status word of a link or reader command's reply (its last two payload
// bytes): 0x2000000 for 90 00, 0x2010000 + SW1 * 256 + SW2 for another word,
// 0x2000700 when the payload has fewer than 2 bytes.
Detail StatusWordDetail(const std::uint8_t* reply, std::size_t length);

}  // namespace corvex
