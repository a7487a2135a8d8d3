// The far end of a pseudo-terminal that answers the reader's link and reader
// commands with canned replies (POSIX only). It is no reader: it knows no
// cards and no sessions, only the frames a test scripts, plus one default:
// every link or reader command (leader 0x08 or 0x28) that no rule matches is
// answered 00 00 02 90 00 92.
//
// The peer keeps a slave descriptor of its own open, so the line does not
// hang up between the opens of the code under test, and it gives the line a
// starting state the code under test must really change: canonical mode
// with echo, 9600 bit/s, no parity.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/reader_frames.h"

namespace testing_support {

struct PeerReply {
  Bytes bytes;
  bool hang_up = false;  // instead of answering, close the line
};

class PtyPeer {
 public:
  PtyPeer();
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;
  ~PtyPeer();

  bool ok() const { return master_ >= 0; }
  // The slave's device path, for the code under test to open.
  const std::string& path() const { return path_; }

  // Answers the next frame equal to `request` with `reply`; rules are tried
  // in the order they were given.
  void Answer(const Bytes& request, PeerReply reply);

  // The frames received so far, in order, as hex text.
  std::vector<std::string> Received() const;
  void ClearReceived();

 private:
  struct Rule {
    Bytes request;
    PeerReply reply;
  };

  // Closes the line now, as an unplugged reader would.
  void HangUp();
  void Serve();
  void Handle(const Bytes& frame);
  void Send(const Bytes& bytes);

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  mutable std::mutex mutex_;
  std::vector<Rule> rules_;
  std::vector<std::string> received_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace testing_support
