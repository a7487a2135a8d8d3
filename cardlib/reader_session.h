// The secured session with the reader: its key state, the provisioning of a
// blank reader, the mutual authentication that yields the session key, the
// secured exchange every card command travels in, and the enciphered card-key
// registration.
//
//   card fields -> [reader session] -> reader link -> port
//                        |-> session cipher -> cipher layer
//                        `-> frames (reader commands, status words)
//
// Authentication (reader commands, sent clear): 0x81 gives the challenge Q;
// Rb = D(K1,K2)[Q]; Ra = 8 bytes from the system's random generator; send
// 0x83 with E(K2,K3)[Rb] | E(K2,K3)[Ra]; the reader's proof Z must give
// D(K3,K1)[Z] = Ra. Session key = Ra XOR Rb, sequence number 1. With the
// clear set no cipher is applied.
//
// Secured frame: leader, E (2 bytes), DES-CBC under the session key of
// [sequence (2) | L (2) | payload | zero padding | XOR], XOR. The reply is
// deciphered, its sequence number checked, and handed back as a clear reply
// frame: status, M (2), M payload bytes, XOR.
//
// Every detail returned is of the 0x02 family, except the key registration's
// refusal (0x801XXYY). The session state (randoms, session key) is wiped when
// the session ends and whenever a new authentication starts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cardlib/card_keys.h"
#include "cardlib/error_detail.h"
#include "cardlib/reader_link.h"

namespace corvex {

class ReaderSession {
 public:
  explicit ReaderSession(ReaderLink& link) : link_(link) {}
  ~ReaderSession() { End(); }
  ReaderSession(const ReaderSession&) = delete;
  ReaderSession& operator=(const ReaderSession&) = delete;

  // Asks the reader's key state (0x87), provisions a blank reader, then
  // authenticates with the session keys.
  Detail Start();

  // Sends the clear frame `frame` (leader, L, payload, checksum) secured and
  // puts the clear reply frame in `reply`; `reply_length` is the capacity on
  // entry, the reply's length on success. After the exchange that used
  // sequence number 0xFFFF a new session is started; its failure is returned.
  // An exchange that fails at the link or in its secured reply (no or an
  // incomplete answer, a wrong sequence number, an unreadable reply) leaves
  // both sides' numbers unknown: what is left of it is purged, and the next
  // exchange first purges again and starts a new session, returning its
  // failure if it fails.
  Detail Exchange(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* reply, std::size_t& reply_length);

  // Registers the eleven card keys into key slots 0..10 (reader command 0x89,
  // enciphered under (Rb, Ra) with the session key in front). Does not use
  // the sequence number.
  Detail RegisterCardKeys();

  // Forgets and wipes the session (and any renewal due).
  void End();

  bool Active() const { return active_; }
  std::uint16_t Sequence() const { return sequence_; }

#ifdef PELLAM_TEST_HOOKS
  // Tests only: moves the sequence number, so that its end comes quickly.
  // Not reachable through the library's exports.
  void SetSequenceForTest(std::uint16_t sequence) { sequence_ = sequence; }
#endif

 private:
  enum class KeyChoice { Clear, Provisioning, Session };

  // Purges the link and marks the session for renewal; returns `detail`.
  Detail Lost(Detail detail);
  Detail Provision();
  Detail Authenticate(KeyChoice choice);
  // Deciphers the secured reply `answer` into `clear` (a buffer of the frame
  // size) and builds the clear reply frame from it.
  Detail OpenReply(const std::uint8_t* answer, std::size_t answer_length, std::uint16_t sequence, std::uint8_t* clear,
                   std::uint8_t* reply, std::size_t& reply_length) const;

  ReaderLink& link_;
  bool active_ = false;
  bool renew_ = false;  // a new session comes before the next exchange
  std::uint8_t rb_[kDesKeySize] = {};
  std::uint8_t ra_[kDesKeySize] = {};
  std::uint8_t session_key_[kDesKeySize] = {};
  std::uint16_t sequence_ = 0;
};

}  // namespace corvex
