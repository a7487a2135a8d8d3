#include "cardlib/reader_link.h"

#include <cstring>

#include "cardlib/cipher/secure_wipe.h"
#include "cardlib/frames.h"
#include "cardlib/status_map.h"

namespace corvex {

namespace {

// Reader commands of the link's opening and closing.
constexpr std::uint8_t kReaderReset = 0x01;
constexpr std::uint8_t kReaderMode = 0x11;
constexpr std::uint8_t kReaderSetup = 0x13;

}  // namespace

Detail ReaderLink::Open(const char* path) {
  if (port_.IsOpen()) return kPortAlreadyOpen;
  if (path == nullptr || !port_.Open(path)) return kPortOpenFailed;
  Detail result = Configure();
  if (result == kLinkOk) result = ChangeSpeed();
  if (result != kLinkOk) {
    port_.Close();
    return TagPhase(result, LinkPhase::Opening);
  }
  result = PrepareReader();
  if (result != kLinkOk) {
    SetReaderSpeed(kIdleSpeed);  // the reader is told to go back; its answer does not matter
    port_.Close();
    return TagPhase(result, LinkPhase::Opening);
  }
  return kLinkOk;
}

void ReaderLink::Abandon() {
  if (!port_.IsOpen()) return;
  SetReaderSpeed(kIdleSpeed);
  port_.Close();
}

Detail ReaderLink::Close() {
  if (!port_.IsOpen()) return kPortNotOpen;
  ReaderCommand(kReaderMode, 0x00, 0x00);  // result ignored
  if (const Detail result = SetReaderSpeed(kIdleSpeed); result != kLinkOk) {
    port_.Close();
    return TagPhase(result, LinkPhase::Closing);
  }
  port_.SetSpeed(kIdleSpeed);  // result ignored
  if (!port_.Close()) return kPortCloseFailed;
  return kLinkOk;
}

Detail ReaderLink::Configure() {
  if (!port_.Purge()) return kPortPurgeFailed;
  platform::LineSettings line;
  if (!port_.ReadLineSettings(line)) return kPortStateUnreadable;
  line.parity_check = true;
  line.data_bits = 8;
  line.parity = platform::Parity::Even;
  if (!port_.WriteLineSettings(line)) return kPortSettingsRefused;
  platform::SerialTimeouts timeouts;
  port_.ReadTimeouts(timeouts);  // only its read interval is kept; a failed read keeps the default
  timeouts.read_per_byte = kTimeoutPerByte;
  timeouts.read_constant = kTimeoutConstant;
  timeouts.write_per_byte = kTimeoutPerByte;
  timeouts.write_constant = kTimeoutConstant;
  if (!port_.WriteTimeouts(timeouts)) return kPortSettingsRefused;
  return kLinkOk;
}

Detail ReaderLink::ChangeSpeed() {
  std::uint32_t speed = 0;
  if (!port_.ReadSpeed(speed)) return kPortStateUnreadable;
  if (speed == kSlowSpeed && !port_.SetSpeed(kIdleSpeed)) return kPortSettingsRefused;

  std::uint8_t frame[kFrameMax];
  std::size_t length = 0;
  if (const Detail built = BuildReaderCheck(frame, sizeof frame, length); built != kFrameOk) return built;
  if (const Detail result = Command(frame, length); result != kLinkOk) return result;

  if (!port_.ReadSpeed(speed)) return kPortStateUnreadable;
  if (speed != kIdleSpeed && !port_.SetSpeed(kIdleSpeed)) return kPortSettingsRefused;
  if (const Detail result = SetReaderSpeed(kWorkingSpeed); result != kLinkOk) return result;
  if (!port_.SetSpeed(kWorkingSpeed)) return kPortSettingsRefused;
  return kLinkOk;
}

Detail ReaderLink::PrepareReader() {
  if (const Detail result = ReaderCommand(kReaderReset, 0x00, 0x00); result != kLinkOk) return result;
  if (const Detail result = ReaderCommand(kReaderMode, 0x01, 0x00); result != kLinkOk) return result;
  return ReaderCommand(kReaderSetup, 0x04, 0x05);
}

Detail ReaderLink::SetReaderSpeed(std::uint32_t bits_per_second) {
  std::uint8_t frame[kFrameMax];
  std::size_t length = 0;
  if (const Detail built = BuildSetSpeed(bits_per_second, frame, sizeof frame, length); built != kFrameOk) {
    return built;
  }
  return Command(frame, length);
}

Detail ReaderLink::ReaderCommand(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2, const std::uint8_t* data,
                                 std::size_t data_length, std::uint8_t* answer, std::size_t answer_length) {
  std::uint8_t frame[kFrameMax];
  const ScopedWipe frame_wipe(frame, sizeof frame);  // it may carry sealed keys
  std::size_t length = 0;
  if (const Detail built = BuildReaderCommand(instruction, p1, p2, data, data_length, frame, sizeof frame, length);
      built != kFrameOk) {
    return built;
  }
  return Command(frame, length, answer, answer_length);
}

Detail ReaderLink::Command(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* answer,
                           std::size_t answer_length) {
  std::uint8_t reply[kFrameMax];
  const ScopedWipe reply_wipe(reply, sizeof reply);
  std::size_t length = sizeof reply;
  if (const Detail result = Exchange(frame, frame_length, reply, length); result != kLinkOk) return result;
  if (const Detail word = StatusWordDetail(reply, length); word != kLinkOk) return word;
  if (AnnouncedLength(reply) != answer_length + 2 || length != answer_length + 2 + kFrameOverhead) {
    return kReaderProtocol;
  }
  if (answer_length > 0) std::memcpy(answer, reply + 3, answer_length);
  return kLinkOk;
}

Detail ReaderLink::Exchange(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* reply,
                            std::size_t& reply_length) {
  if (frame == nullptr || frame_length == 0 || reply == nullptr) return kLinkInvalidArgument;
  if (!port_.IsOpen()) return kPortNotOpen;
  const std::size_t capacity = reply_length;
  Detail result = SendOnce(frame, frame_length, reply, capacity, reply_length);
  if (result == kReaderBusy) {
    if (!PauseWithinLimit(kResendPause)) return kTimeLimitReached;
    port_.Purge();  // result ignored
    result = SendOnce(frame, frame_length, reply, capacity, reply_length);
  }
  return result;
}

Detail ReaderLink::SendOnce(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* reply,
                            std::size_t capacity, std::size_t& reply_length) {
  if (const Detail written = WriteFrame(frame, frame_length); written != kLinkOk) return written;
  if (const Detail read = ReadReply(reply, capacity, reply_length); read != kLinkOk) return read;
  return ReaderStatusDetail(reply[0]);
}

// A frame gets as many writes as a reply gets reads, so that a reader that
// takes it a byte at a time cannot hold the exchange without end.
Detail ReaderLink::WriteFrame(const std::uint8_t* frame, std::size_t length) {
  std::size_t done = 0;
  for (int attempt = 0; attempt <= kFurtherReads && done < length; ++attempt) {
    const std::size_t size = BytesWithinLimit(length - done);
    if (size == 0) return kTimeLimitReached;
    std::size_t written = 0;
    if (!port_.Write(frame + done, size, written) || written == 0) return kPortWriteFailed;
    done += written;
  }
  return done < length ? kPortWriteFailed : kLinkOk;
}

Detail ReaderLink::ReadReply(std::uint8_t* reply, std::size_t capacity, std::size_t& length) {
  std::uint8_t header[kFrameOverhead];
  std::size_t got = 0;
  if (BytesWithinLimit(sizeof header) < sizeof header) return kTimeLimitReached;
  if (!port_.Read(header, sizeof header, got)) {
    port_.ClearError();
    return kPortReadFailed;
  }
  if (got < sizeof header) return kPortReadFailed;
  const std::size_t payload = AnnouncedLength(header);
  const std::size_t total = payload + kFrameOverhead;
  if (total > capacity) {
    DiscardReply(total - sizeof header);
    return kReplyTooLarge;
  }
  std::memcpy(reply, header, sizeof header);
  std::size_t have = sizeof header;
  if (payload == 0) {
    length = have;
    return kLinkOk;
  }
  for (int attempt = 0; attempt < kFurtherReads; ++attempt) {
    const std::size_t size = BytesWithinLimit(total - have);
    if (size == 0) return kTimeLimitReached;
    std::size_t more = 0;
    if (!port_.Read(reply + have, size, more)) {
      port_.ClearError();
      return kPortReadFailed;
    }
    have += more;
    if (have >= total) {
      length = have;
      return kLinkOk;
    }
    if (more < size && !PauseWithinLimit(kIncompletePause)) return kTimeLimitReached;
  }
  return kReplyIncomplete;
}

// Reads and drops the rest of a reply too large for the caller's buffer, so
// that its tail is not taken for the answer to the next command. The drain
// gets no more reads than the rest of a reply that fits, whatever length the
// reader announced; what has arrived by then is purged.
void ReaderLink::DiscardReply(std::size_t count) {
  std::uint8_t scratch[kFrameMax - kFrameOverhead];
  for (int attempt = 0; attempt < kFurtherReads && count > 0; ++attempt) {
    const std::size_t size = BytesWithinLimit(count < sizeof scratch ? count : sizeof scratch);
    if (size == 0) break;
    std::size_t got = 0;
    if (!port_.Read(scratch, size, got)) {
      port_.ClearError();
      break;
    }
    count -= got;
    if (got < size && !PauseWithinLimit(kIncompletePause)) break;
  }
  if (count > 0) port_.Purge();  // result ignored
}

void ReaderLink::Purge() {
  if (port_.IsOpen()) port_.Purge();  // result ignored
}

void ReaderLink::StartTimeLimit(std::uint32_t milliseconds) {
  limited_ = true;
  deadline_ = port_.Now() + milliseconds;
}

// A read or write of n bytes ends within the port's timeouts: n times the
// per-byte figure plus the constant.
std::size_t ReaderLink::BytesWithinLimit(std::size_t wanted) {
  if (!limited_) return wanted;
  const std::uint64_t now = port_.Now();
  const std::uint64_t left = now < deadline_ ? deadline_ - now : 0;
  if (left < kTimeoutConstant + kTimeoutPerByte) return 0;
  const std::uint64_t fitting = (left - kTimeoutConstant) / kTimeoutPerByte;
  return fitting < wanted ? static_cast<std::size_t>(fitting) : wanted;
}

bool ReaderLink::PauseWithinLimit(std::uint32_t milliseconds) {
  if (limited_) {
    const std::uint64_t now = port_.Now();
    if (now >= deadline_ || deadline_ - now < milliseconds) return false;
  }
  port_.Pause(milliseconds);
  return true;
}

}  // namespace corvex
