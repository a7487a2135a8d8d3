#include "tests/cardlib/scripted_port.h"

namespace testing_support {

Bytes OkReply() { return ReplyFrame(0x00, {0x90, 0x00}); }

namespace {

bool IsFrameWrite(const std::string& entry) {
  return entry.rfind("write ", 0) == 0 && entry.rfind("write settings", 0) != 0 &&
         entry.rfind("write timeouts", 0) != 0;
}

bool IsFrameRead(const std::string& entry) {
  return entry.rfind("read ", 0) == 0 && entry != "read settings" && entry != "read speed" && entry != "read timeouts";
}

}  // namespace

std::vector<std::string> ScriptedPort::Writes() const {
  std::vector<std::string> writes;
  for (const std::string& entry : log) {
    if (IsFrameWrite(entry)) writes.push_back(entry.substr(6));
  }
  return writes;
}

std::vector<std::string> ScriptedPort::Controls() const {
  std::vector<std::string> controls;
  for (const std::string& entry : log) {
    if (!IsFrameWrite(entry) && !IsFrameRead(entry)) controls.push_back(entry);
  }
  return controls;
}

bool ScriptedPort::Open(const char* path) {
  log.push_back(std::string("open ") + path);
  if (faults.open || open_) return false;
  open_ = true;
  return true;
}

bool ScriptedPort::Purge() {
  log.push_back("purge");
  if (faults.purge || !open_) return false;
  arrived_.clear();
  return true;
}

bool ScriptedPort::ReadLineSettings(platform::LineSettings& line) {
  log.push_back("read settings");
  if (faults.read_settings || !open_) return false;
  line = settings;
  return true;
}

bool ScriptedPort::WriteLineSettings(const platform::LineSettings& line) {
  static constexpr char kParityLetters[] = {'N', 'O', 'E', 'M', 'S'};
  log.push_back("write settings " + std::to_string(line.data_bits) + " " +
                kParityLetters[static_cast<int>(line.parity)] + (line.parity_check ? " check" : " nocheck"));
  if (faults.write_settings || !open_) return false;
  settings = line;
  return true;
}

bool ScriptedPort::ReadSpeed(std::uint32_t& bits_per_second) {
  log.push_back("read speed");
  if (faults.read_speed || !open_) return false;
  bits_per_second = speed;
  return true;
}

bool ScriptedPort::SetSpeed(std::uint32_t bits_per_second) {
  log.push_back("set speed " + std::to_string(bits_per_second));
  if (faults.set_speed_refused == bits_per_second || !open_) return false;
  speed = bits_per_second;
  return true;
}

bool ScriptedPort::ReadTimeouts(platform::SerialTimeouts& out) {
  log.push_back("read timeouts");
  if (!open_) return false;
  out = timeouts;
  return true;
}

bool ScriptedPort::WriteTimeouts(const platform::SerialTimeouts& in) {
  log.push_back("write timeouts " + std::to_string(in.read_interval) + " " + std::to_string(in.read_per_byte) + " " +
                std::to_string(in.read_constant) + " " + std::to_string(in.write_per_byte) + " " +
                std::to_string(in.write_constant));
  if (faults.write_timeouts || !open_) return false;
  timeouts = in;
  return true;
}

bool ScriptedPort::Read(std::uint8_t* data, std::size_t size, std::size_t& got) {
  log.push_back("read " + std::to_string(size));
  got = 0;
  if (faults.read || !open_) return false;
  const std::uint64_t deadline = now + timeouts.read_per_byte * std::uint64_t{size} + timeouts.read_constant;
  for (;;) {
    Arrive();
    while (got < size && !arrived_.empty()) {
      data[got++] = arrived_.front();
      arrived_.pop_front();
    }
    if (got == size) return true;
    if (trickling_.empty() || trickling_.front().at > deadline) break;
    now = trickling_.front().at;
  }
  now = deadline;  // timed out
  return true;
}

void ScriptedPort::Arrive() {
  while (!trickling_.empty() && trickling_.front().at <= now) {
    arrived_.push_back(trickling_.front().byte);
    trickling_.pop_front();
  }
}

void ScriptedPort::Trickle(Bytes reply, std::size_t prompt, std::uint32_t ms_per_byte) {
  Bytes first(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(prompt));
  Bytes rest(reply.begin() + static_cast<std::ptrdiff_t>(prompt), reply.end());
  replies_.push_back({{std::move(first), std::move(rest)}, ms_per_byte});
}

bool ScriptedPort::Write(const std::uint8_t* data, std::size_t size, std::size_t& written) {
  written = 0;
  if (!open_) return false;
  if (faults.write_nothing) {
    log.push_back("write nothing");
    return true;
  }
  written = faults.write_chunk > 0 && faults.write_chunk < size ? faults.write_chunk : size;
  if (written < size) now += timeouts.write_per_byte * std::uint64_t{size} + timeouts.write_constant;
  frame_.insert(frame_.end(), data, data + written);
  if (frame_.size() >= 3 && frame_.size() >= (std::size_t{frame_[1]} << 8 | frame_[2]) + 4u) FrameComplete();
  return true;
}

void ScriptedPort::FrameComplete() {
  log.push_back("write " + HexText(frame_));
  if (replies_.empty() && responder) replies_.push_back({{responder(frame_)}});
  frame_.clear();
  if (replies_.empty()) return;
  Scripted reply = std::move(replies_.front());
  replies_.pop_front();
  if (reply.ms_per_byte > 0 && !reply.pieces.empty()) {
    std::uint64_t at = now;
    for (const std::uint8_t byte : reply.pieces.back()) trickling_.push_back({at += reply.ms_per_byte, byte});
    reply.pieces.pop_back();
  }
  pending_pieces_.assign(reply.pieces.begin(), reply.pieces.end());
  if (!pending_pieces_.empty()) {
    arrived_.insert(arrived_.end(), pending_pieces_.front().begin(), pending_pieces_.front().end());
    pending_pieces_.pop_front();
  }
}

void ScriptedPort::ClearError() { log.push_back("clear error"); }

bool ScriptedPort::Close() {
  log.push_back("close");
  if (faults.close || !open_) return false;
  open_ = false;
  return true;
}

void ScriptedPort::Pause(std::uint32_t milliseconds) {
  log.push_back("pause " + std::to_string(milliseconds));
  now += milliseconds;
  if (pending_pieces_.empty()) return;
  arrived_.insert(arrived_.end(), pending_pieces_.front().begin(), pending_pieces_.front().end());
  pending_pieces_.pop_front();
}

}  // namespace testing_support
