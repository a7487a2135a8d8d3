#include "cardlib/card_frames.h"

#include <cstring>

#include "cardlib/cipher/secure_wipe.h"
#include "cardlib/frames.h"

namespace corvex {

namespace {

constexpr std::uint8_t kCommandPolling = 0x00;
constexpr std::uint8_t kCommandRequestResponse = 0x04;
constexpr std::uint8_t kCommandWrite = 0x16;
constexpr std::uint8_t kCommandSelectKeys = 0x42;
constexpr std::uint8_t kCommandAuthenticate = 0x52;
constexpr std::uint8_t kCommandAuthenticateAndRead = 0x56;
constexpr std::uint8_t kCommandPollingSeveral = 0x60;
constexpr std::uint8_t kAuthenticationForm = 0x81;
constexpr std::uint8_t kRequestCode = 0x01;
constexpr std::uint8_t kTimeSlot = 0x00;
constexpr std::uint8_t kBlockElementFirstService = 0x80;
constexpr std::uint8_t kNoAnswerCode = 0xEF;

struct MinimumPayload {
  std::uint8_t response;
  std::size_t bytes;
};

// Payload sizes that hold the result byte (3, its detail in byte 2) and the
// status flags (9 and 10).
constexpr std::size_t kResultByteEnd = 4;
constexpr std::size_t kStatusFlagsEnd = 11;

// The shortest payload of a success: every byte the callers read.
constexpr MinimumPayload kMinimumPayloads[] = {
    {kResponsePolling, 17},        {kResponseRequestResponse, 10}, {kResponseWrite, 11},
    {kResponseSelectKeys, 1},      {kResponseAuthenticate, 4},     {kResponseAuthenticateAndRead, 31},
    {kResponsePollingSeveral, 20},
};

// Appends bytes to a payload under construction; every payload here is far
// below the frame limit, so the fixed buffer cannot overflow. A write's
// payload carries the clear field data (passwords, PINs), so what was
// written is wiped when the writer goes.
class PayloadWriter {
 public:
  PayloadWriter() = default;
  PayloadWriter(const PayloadWriter&) = delete;
  PayloadWriter& operator=(const PayloadWriter&) = delete;
  ~PayloadWriter() { SecureWipe(bytes_, size_); }

  void Byte(std::uint8_t value) { bytes_[size_++] = value; }
  void Bytes(const std::uint8_t* data, std::size_t count) {
    std::memcpy(bytes_ + size_, data, count);
    size_ += count;
  }
  Detail Finish(std::uint8_t* out, std::size_t capacity, std::size_t& length) const {
    return BuildFrame(kLeaderCard, bytes_, size_, out, capacity, length);
  }

 private:
  std::uint8_t bytes_[kFrameMax];
  std::size_t size_ = 0;
};

bool ValidSlot(std::uint8_t slot) { return slot <= 0x0F || (slot >= 0x80 && slot <= 0x8F); }

bool ValidAccess(const CardAccess& access) {
  return access.card_id != nullptr && access.area_codes != nullptr && access.service_codes != nullptr &&
         access.area_count >= 1 && access.area_count <= kAccessCodesMax && access.service_count >= 1 &&
         access.service_count <= kAccessCodesMax;
}

void WriteAccess(PayloadWriter& payload, std::uint8_t command, const CardAccess& access) {
  payload.Byte(command);
  payload.Byte(kAuthenticationForm);
  payload.Bytes(access.card_id, kCardIdSize);
  payload.Byte(static_cast<std::uint8_t>(access.area_count));
  payload.Bytes(access.area_codes, access.area_count * 2);
  payload.Byte(static_cast<std::uint8_t>(access.service_count));
  payload.Bytes(access.service_codes, access.service_count * 2);
}

void WriteBlockList(PayloadWriter& payload, const std::uint8_t* block_numbers, std::size_t count) {
  payload.Byte(static_cast<std::uint8_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    payload.Byte(kBlockElementFirstService);
    payload.Byte(block_numbers[i]);
  }
}

std::size_t MinimumPayloadFor(std::uint8_t response) {
  for (const MinimumPayload& row : kMinimumPayloads) {
    if (row.response == response) return row.bytes;
  }
  return 1;
}

// The failure a reply's result bytes report, read as soon as the payload
// holds them: a failing card need not send the data of a success.
Detail ResultBytesDetail(const std::uint8_t* payload, std::size_t size, std::uint8_t response) {
  if (response == kResponsePollingSeveral || response == kResponseAuthenticate ||
      response == kResponseAuthenticateAndRead) {
    if (size < kResultByteEnd) return kReaderProtocol;
    if (payload[3] == kNoAnswerCode) return kCardNoAnswer;
    if (payload[3] != 0) return kCardResultBase + (Detail{payload[2]} << 8) + payload[3];
  } else if (response == kResponseWrite) {
    if (size < kStatusFlagsEnd) return kReaderProtocol;
    if (payload[9] != 0) return kCardStatusFlagsBase + (Detail{payload[9]} << 8) + payload[10];
  }
  return kCardOk;
}

}  // namespace

Detail BuildPollingOne(const std::uint8_t* system_code, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  if (system_code == nullptr) return kFrameInvalidArgument;
  PayloadWriter payload;
  payload.Byte(kCommandPolling);
  payload.Bytes(system_code, 2);
  payload.Byte(kRequestCode);
  payload.Byte(kTimeSlot);
  return payload.Finish(out, capacity, length);
}

Detail BuildPollingSeveral(const std::uint8_t* system_codes, std::size_t count, std::uint8_t* out, std::size_t capacity,
                           std::size_t& length) {
  if (count > kPollingCodesMax || (system_codes == nullptr && count > 0)) return kFrameInvalidArgument;
  PayloadWriter payload;
  payload.Byte(kCommandPollingSeveral);
  payload.Byte(static_cast<std::uint8_t>(0x80 + count));
  if (count > 0) payload.Bytes(system_codes, count * 2);
  payload.Byte(kRequestCode);
  payload.Byte(kTimeSlot);
  return payload.Finish(out, capacity, length);
}

Detail BuildPolling(const std::uint8_t* system_codes, std::size_t count, std::uint8_t* out, std::size_t capacity,
                    std::size_t& length) {
  if (count == 0 || count > kPollingCodesMax) return kFrameInvalidArgument;
  if (count == 1) return BuildPollingOne(system_codes, out, capacity, length);
  return BuildPollingSeveral(system_codes, count, out, capacity, length);
}

Detail BuildRequestResponse(const std::uint8_t* card_id, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  if (card_id == nullptr) return kFrameInvalidArgument;
  PayloadWriter payload;
  payload.Byte(kCommandRequestResponse);
  payload.Bytes(card_id, kCardIdSize);
  return payload.Finish(out, capacity, length);
}

Detail BuildSelectKeys(std::uint8_t slot_a, std::uint8_t slot_b, std::uint8_t* out, std::size_t capacity,
                       std::size_t& length) {
  if (!ValidSlot(slot_a) || !ValidSlot(slot_b)) return kFrameInvalidArgument;
  PayloadWriter payload;
  payload.Byte(kCommandSelectKeys);
  payload.Byte(slot_a);
  payload.Byte(slot_b);
  return payload.Finish(out, capacity, length);
}

Detail BuildAuthenticate(const CardAccess& access, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  if (!ValidAccess(access)) return kFrameInvalidArgument;
  PayloadWriter payload;
  WriteAccess(payload, kCommandAuthenticate, access);
  return payload.Finish(out, capacity, length);
}

Detail BuildAuthenticateAndRead(const CardAccess& access, const std::uint8_t* block_numbers, std::size_t block_count,
                                std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  if (!ValidAccess(access) || block_numbers == nullptr || block_count < 1 || block_count > kReadBlocksMax) {
    return kFrameInvalidArgument;
  }
  PayloadWriter payload;
  WriteAccess(payload, kCommandAuthenticateAndRead, access);
  WriteBlockList(payload, block_numbers, block_count);
  return payload.Finish(out, capacity, length);
}

Detail BuildWrite(const std::uint8_t* card_id, const std::uint8_t* block_numbers, std::size_t block_count,
                  const std::uint8_t* data, std::uint8_t* out, std::size_t capacity, std::size_t& length) {
  if (card_id == nullptr || block_numbers == nullptr || data == nullptr || block_count < 1 ||
      block_count > kWriteBlocksMax) {
    return kFrameInvalidArgument;
  }
  PayloadWriter payload;
  payload.Byte(kCommandWrite);
  payload.Bytes(card_id, kCardIdSize);
  WriteBlockList(payload, block_numbers, block_count);
  payload.Bytes(data, block_count * kBlockSize);
  return payload.Finish(out, capacity, length);
}

Detail CheckCardReply(const std::uint8_t* reply, std::size_t length, std::uint8_t expected) {
  if (reply == nullptr || length < kFrameOverhead || AnnouncedLength(reply) + kFrameOverhead != length) {
    return kCardReplyLength;
  }
  const std::size_t size = AnnouncedLength(reply);
  if (size == 0) return kReaderProtocol;
  const std::uint8_t* payload = CardPayload(reply);
  const std::uint8_t code = payload[0];
  if (code != expected) {
    if (code == kNoAnswerCode) return kCardNoAnswer;
    if (code == 0x00) return kReaderProtocol;
    return kCardResponseBase + code;
  }
  if (const Detail result = ResultBytesDetail(payload, size, expected); result != kCardOk) return result;
  if (size < MinimumPayloadFor(expected)) return kReaderProtocol;
  return kCardOk;
}

Detail CopyReadData(const std::uint8_t* reply, std::size_t length, std::uint8_t* out, std::size_t capacity,
                    std::size_t& copied) {
  copied = 0;
  if (reply == nullptr || length < kFrameOverhead + 31) return kReaderProtocol;
  const std::uint8_t* payload = CardPayload(reply);
  const std::size_t size = (std::size_t{payload[30]} * kBlockSize) % 256;
  if (size > capacity) return kCardBufferTooSmall;
  if (31 + size > AnnouncedLength(reply) || 31 + size > length - kFrameOverhead) return kReaderProtocol;
  if (size > 0) std::memcpy(out, payload + 31, size);
  copied = size;
  return kCardOk;
}

Detail KeyRegistrationReplyDetail(const std::uint8_t* reply, std::size_t length) {
  if (reply == nullptr || length < kFrameOverhead || AnnouncedLength(reply) < 2 ||
      AnnouncedLength(reply) + kFrameOverhead > length) {
    return kReaderProtocol;
  }
  const std::uint8_t* payload = CardPayload(reply);
  if (payload[0] == 0x90 && payload[1] == 0x00) return kCardOk;
  return kCardStatusFlagsBase + (Detail{payload[0]} << 8) + payload[1];
}

}  // namespace corvex
