// A link port that answers from a script, for exact byte sequences and
// faults without a device.
//
// Every frame written releases the next scripted reply. A reply comes in
// pieces: the first piece arrives with the write, each later piece after one
// more pause of the link (a read finds only what has arrived, as a read that
// timed out would). Every call is logged in order.
//
// A virtual clock (`now`, milliseconds) runs as a real port's would: pauses
// take their time, a read or write that comes short takes its whole timeout,
// and a trickled reply's bytes arrive at their own times, which a read waits
// for within its timeout. Nothing really waits.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "cardlib/link_port.h"
#include "tests/support/reader_frames.h"

namespace testing_support {

// The reply of a link or reader command that succeeded: status 00, 90 00.
Bytes OkReply();

class ScriptedPort final : public corvex::LinkPort {
 public:
  // Faults to inject; each makes that operation fail every time.
  struct Faults {
    bool open = false;
    bool purge = false;
    bool read_settings = false;
    bool write_settings = false;
    bool read_speed = false;
    std::uint32_t set_speed_refused = 0;  // this speed is refused (0: none)
    bool write_timeouts = false;
    bool read = false;            // reads fail
    bool write_nothing = false;   // writes report 0 bytes written
    std::size_t write_chunk = 0;  // writes take at most this many bytes (0: all)
    bool close = false;
  };

  // Queues the reply to the next frame written that has none yet.
  void Reply(Bytes reply) { replies_.push_back({{std::move(reply)}}); }
  void ReplyInPieces(std::vector<Bytes> pieces) { replies_.push_back({std::move(pieces)}); }
  // Queues a reply whose first `prompt` bytes arrive with the write and the
  // rest one every `ms_per_byte`.
  void Trickle(Bytes reply, std::size_t prompt, std::uint32_t ms_per_byte);
  // Queues silence: the next frame gets no answer at all.
  void NoReply() { replies_.push_back({}); }
  // Answers every frame that finds no queued reply (none when empty).
  std::function<Bytes(const Bytes& frame)> responder;

  Faults faults;
  std::uint64_t now = 0;       // the virtual clock
  std::uint32_t speed = 9600;  // what the port's speed reads as
  platform::SerialTimeouts timeouts{};
  platform::LineSettings settings{8, platform::Parity::None, false};

  // Every call, in order: "open PATH", "purge", "read settings", "write
  // settings 8 E check", "read timeouts", "write timeouts I P C P C", "read
  // speed", "set speed N", "write HEX", "read N", "clear error", "close",
  // "pause N".
  std::vector<std::string> log;
  // The frames written, in hex.
  std::vector<std::string> Writes() const;
  // The calls other than reads and writes.
  std::vector<std::string> Controls() const;

  bool Open(const char* path) override;
  bool IsOpen() const override { return open_; }
  bool Purge() override;
  bool ReadLineSettings(platform::LineSettings& line) override;
  bool WriteLineSettings(const platform::LineSettings& line) override;
  bool ReadSpeed(std::uint32_t& bits_per_second) override;
  bool SetSpeed(std::uint32_t bits_per_second) override;
  bool ReadTimeouts(platform::SerialTimeouts& out) override;
  bool WriteTimeouts(const platform::SerialTimeouts& in) override;
  bool Read(std::uint8_t* data, std::size_t size, std::size_t& got) override;
  bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written) override;
  void ClearError() override;
  bool Close() override;
  void Pause(std::uint32_t milliseconds) override;
  std::uint64_t Now() override { return now; }

 private:
  struct Scripted {
    std::vector<Bytes> pieces;
    std::uint32_t ms_per_byte = 0;  // above 0: the last piece trickles
  };
  struct Timed {
    std::uint64_t at;
    std::uint8_t byte;
  };

  void FrameComplete();
  void Arrive();  // moves the trickled bytes due by now to the arrived ones

  bool open_ = false;
  std::deque<Scripted> replies_;
  std::deque<Bytes> pending_pieces_;  // pieces of the current reply not yet arrived
  std::deque<std::uint8_t> arrived_;  // bytes waiting to be read
  std::deque<Timed> trickling_;       // bytes still to arrive, by time
  Bytes frame_;                       // the frame being written
};

}  // namespace testing_support
