// The serial link to the reader: opening and configuring the port, the speed
// change, the reader's preparation, the framed exchange with its one resend,
// and the way back to idle.
//
//   device -> [reader link] -> LinkPort (serial port, pauses)
//                  `-> frames (link and reader commands, reply header, status)
//
// Every operation returns an error detail of the 0x02 family; opening and
// closing return theirs tagged with the phase (status_map.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cardlib/error_detail.h"
#include "cardlib/frames.h"
#include "cardlib/link_port.h"

namespace corvex {

// Timing of the link, in milliseconds.
inline constexpr std::uint32_t kTimeoutPerByte = 50;     // read and write totals: 50 per byte ...
inline constexpr std::uint32_t kTimeoutConstant = 1000;  // ... plus 1000
inline constexpr std::uint32_t kIncompletePause = 50;    // after a read that left the reply incomplete
inline constexpr std::uint32_t kResendPause = 100;       // before the one resend
inline constexpr int kFurtherReads = 5;                  // reads for the rest of a reply

// The longest a frame's writing and a reply's reading can hold the link
// without a time limit, whatever the reader sends or withholds: a frame (at
// most kFrameMax bytes) in at most 1 + kFurtherReads writes; a reply's 4-byte
// header, then at most kFurtherReads reads of at most kFrameMax - 4 bytes
// with a pause after each, for the rest of a reply or the drain of one too
// large; each read and write within the timeouts above.
inline constexpr std::uint32_t kFrameBytes = static_cast<std::uint32_t>(kFrameMax);
inline constexpr std::uint32_t kReadsPerReply = static_cast<std::uint32_t>(kFurtherReads);
inline constexpr std::uint32_t kWriteTimeLimit =
    (kReadsPerReply + 1) * (kTimeoutPerByte * kFrameBytes + kTimeoutConstant);
inline constexpr std::uint32_t kReplyTimeLimit =
    kTimeoutPerByte * static_cast<std::uint32_t>(kFrameOverhead) + kTimeoutConstant +
    kReadsPerReply * (kTimeoutPerByte * (kFrameBytes - static_cast<std::uint32_t>(kFrameOverhead)) + kTimeoutConstant +
                      kIncompletePause);

// The time limit of one exported function (the figure Corvex.h states).
inline constexpr std::uint32_t kFunctionTimeLimit = 60'000;

inline constexpr std::uint32_t kIdleSpeed = 9600;
inline constexpr std::uint32_t kWorkingSpeed = 115200;
inline constexpr std::uint32_t kSlowSpeed = 1200;  // a port found at this speed is first moved to 9600

class ReaderLink {
 public:
  explicit ReaderLink(LinkPort& port) : port_(port) {}

  bool IsOpen() const { return port_.IsOpen(); }

  // Opens `path`, configures the port (purge; parity checking, 8 data bits,
  // even parity; timeouts), brings reader and port to 115200 bit/s and
  // prepares the reader (commands 0x01, 0x11, 0x13). Any failure closes the
  // port again (after a failed preparation the reader is first asked back to
  // 9600 bit/s).
  Detail Open(const char* path);

  // Gives up an opened link whose secured session could not start: asks the
  // reader back to 9600 bit/s (its answer does not matter) and closes the port.
  void Abandon();

  // Puts the reader to rest (0x11 00 00, result ignored), asks it back to
  // 9600 bit/s, sets the port to 9600 and closes it. When the reader refuses
  // the speed change the port is closed anyway and the refusal returned; a
  // port that cannot be closed gives 0x2000014 and stays open.
  Detail Close();

  // Writes `frame` and reads one reply frame into `reply`; `reply_length` is
  // the capacity on entry, the reply's length on success. A reply whose
  // reader status asks for a resend (0x80/0xA0) is answered, after a pause
  // and a purge, by sending the frame once more; the second answer is final.
  // A reply too large for `reply` is drained within kReplyTimeLimit and
  // answered 0x2000002.
  Detail Exchange(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* reply, std::size_t& reply_length);

  // An exchange of a link or reader command. Its reply must carry the
  // status word 9000 after exactly `answer_length` bytes, which are copied
  // to `answer`; another status word gives its 0x201XXYY detail, another
  // length 0x2000700. Both buffers are wiped as it returns.
  Detail Command(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* answer = nullptr,
                 std::size_t answer_length = 0);

  // A reader command (instruction, p1, p2 and `data`) through Command.
  Detail ReaderCommand(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2, const std::uint8_t* data = nullptr,
                       std::size_t data_length = 0, std::uint8_t* answer = nullptr, std::size_t answer_length = 0);

  // Drops whatever is waiting in both directions (an open port only; the
  // result does not matter).
  void Purge();

  // From now on, every read, write and pause of the link ends within
  // `milliseconds`: a read or write asks for no more bytes than its timeout
  // allows in the time left, and one that has no time left is not started
  // (kTimeLimitReached). Holds until EndTimeLimit.
  void StartTimeLimit(std::uint32_t milliseconds);
  void EndTimeLimit() { limited_ = false; }

 private:
  Detail Configure();
  Detail ChangeSpeed();
  Detail PrepareReader();
  Detail SetReaderSpeed(std::uint32_t bits_per_second);
  Detail SendOnce(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* reply, std::size_t capacity,
                  std::size_t& reply_length);
  Detail WriteFrame(const std::uint8_t* frame, std::size_t length);
  Detail ReadReply(std::uint8_t* reply, std::size_t capacity, std::size_t& length);
  void DiscardReply(std::size_t count);
  // How many of `wanted` bytes one read or write may ask for within the time
  // left (0: not even one).
  std::size_t BytesWithinLimit(std::size_t wanted);
  // Pauses when the pause fits in the time left.
  bool PauseWithinLimit(std::uint32_t milliseconds);

  LinkPort& port_;
  bool limited_ = false;
  std::uint64_t deadline_ = 0;  // on the port's clock, while limited_
};

}  // namespace corvex
