// Card commands (leader 0x2C) and the checks of their clear replies.
//
//   card fields -> secured session -> [card frames] -> frames
//
// Card commands travel inside secured frames; the builders here produce the
// clear frame that the secured session wraps, and the checks read the clear
// reply frame it hands back. The reply payload starts with the response code.
// Builders follow the rules of frames.h (0x4000001 / 0x4000002).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cardlib/error_detail.h"

namespace corvex {

inline constexpr std::size_t kCardIdSize = 8;
inline constexpr std::size_t kBlockSize = 16;
inline constexpr std::size_t kPollingCodesMax = 16;
inline constexpr std::size_t kAccessCodesMax = 16;  // areas or services in one authentication
inline constexpr std::size_t kReadBlocksMax = 12;
inline constexpr std::size_t kWriteBlocksMax = 8;

// Response codes the library expects.
inline constexpr std::uint8_t kResponsePolling = 0x01;
inline constexpr std::uint8_t kResponseRequestResponse = 0x05;
inline constexpr std::uint8_t kResponseWrite = 0x17;
inline constexpr std::uint8_t kResponseSelectKeys = 0x43;
inline constexpr std::uint8_t kResponseAuthenticate = 0x53;
inline constexpr std::uint8_t kResponseAuthenticateAndRead = 0x57;
inline constexpr std::uint8_t kResponsePollingSeveral = 0x61;

// What an authentication names: the card, its areas and its services
// (two-byte codes, sent as given).
struct CardAccess {
  const std::uint8_t* card_id = nullptr;  // kCardIdSize bytes
  const std::uint8_t* area_codes = nullptr;
  std::size_t area_count = 0;  // 1..16
  const std::uint8_t* service_codes = nullptr;
  std::size_t service_count = 0;  // 1..16
};

// Polling for one system code: 00, code, request code 01, time slot 00.
Detail BuildPollingOne(const std::uint8_t* system_code, std::uint8_t* out, std::size_t capacity, std::size_t& length);
// Polling for n (0..16) system codes: 60, 0x80 + n, the codes, 01, 00.
Detail BuildPollingSeveral(const std::uint8_t* system_codes, std::size_t count, std::uint8_t* out, std::size_t capacity,
                           std::size_t& length);
// The polling a list of 1..16 codes takes: one code the first form, more the second.
Detail BuildPolling(const std::uint8_t* system_codes, std::size_t count, std::uint8_t* out, std::size_t capacity,
                    std::size_t& length);
// Request response: 04, card identifier.
Detail BuildRequestResponse(const std::uint8_t* card_id, std::uint8_t* out, std::size_t capacity, std::size_t& length);
// Select keys: 42, slot A, slot B (each 0..15 or 0x80..0x8F).
Detail BuildSelectKeys(std::uint8_t slot_a, std::uint8_t slot_b, std::uint8_t* out, std::size_t capacity,
                       std::size_t& length);
// Authenticate: 52, 81, card identifier, n, areas, m, services.
Detail BuildAuthenticate(const CardAccess& access, std::uint8_t* out, std::size_t capacity, std::size_t& length);
// Authenticate and read: as authenticate with 56, then k (1..12) and one
// block-list element (0x80, block number) per block.
Detail BuildAuthenticateAndRead(const CardAccess& access, const std::uint8_t* block_numbers, std::size_t block_count,
                                std::uint8_t* out, std::size_t capacity, std::size_t& length);
// Write: 16, card identifier, k (1..8), the block-list elements, k * 16 data bytes.
Detail BuildWrite(const std::uint8_t* card_id, const std::uint8_t* block_numbers, std::size_t block_count,
                  const std::uint8_t* data, std::uint8_t* out, std::size_t capacity, std::size_t& length);

// Checks a card command's reply: the announced length must match the bytes
// received (else 0x8000005); the response code must be `expected` (0xEF gives
// 0x80400EF, another code 0x8040000 + code, except that 0x00 gives
// 0x2000700, since 0x8040000 would read as success); then the result bytes,
// as soon as the payload holds them (else 0x2000700): for 0x61, 0x53 and
// 0x57 a non-zero byte 3 gives 0x80400EF for 0xEF and 0x8020000 + byte 2 *
// 256 + byte 3 otherwise; for 0x17 a non-zero status flag 1 gives 0x8010000 +
// flag 1 * 256 + flag 2. Only then must the payload be long enough for the
// data of a success (else 0x2000700). 0x8000000 when all is well.
Detail CheckCardReply(const std::uint8_t* reply, std::size_t length, std::uint8_t expected);

// The reply's payload (its response code first).
inline const std::uint8_t* CardPayload(const std::uint8_t* reply) { return reply + 3; }

// Copies the block data of a checked 0x57 reply: k * 16 bytes (modulo 256)
// from payload byte 31; 0x8000002 when they do not fit `capacity`.
Detail CopyReadData(const std::uint8_t* reply, std::size_t length, std::uint8_t* out, std::size_t capacity,
                    std::size_t& copied);

// The key registration reply: payload 90 00, else 0x8010000 + byte 0 * 256 +
// byte 1 (0x2000700 when the payload is shorter than 2 bytes).
Detail KeyRegistrationReplyDetail(const std::uint8_t* reply, std::size_t length);

}  // namespace corvex
