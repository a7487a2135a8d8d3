// The reader's side of the protocol: link commands (reader check, set speed),
// reader commands (preparation, key state, mutual authentication,
// provisioning, enciphered card-key registration) and secured card commands.
//
//   host frame --> SimulatedReader::Handle --> link / reader / secured card
//                                               |                 |
//                                        key state, session   card_commands
//
// The reader checks what the host sends against the protocol's frames and
// orders and records every deviation as a violation in the world's stats.
#pragma once

#include <optional>

#include "readersim/card_commands.h"
#include "readersim/wire.h"
#include "readersim/world.h"

namespace readersim {

class SimulatedReader {
 public:
  explicit SimulatedReader(World& world) : world_(world) {}

  // A host has opened a fresh port: the link starts over at 9600 bit/s with
  // no session. Keys, key slots and cards stay.
  void BeginHostSession();

  // The reply to one complete host frame; nullopt when the reader stays
  // silent (a frame it cannot answer at all).
  std::optional<Bytes> Handle(const HostFrame& frame);

  int speed() const { return speed_; }

  // Tests: moves the session's sequence number, to reach its end quickly.
  void SetSequenceForTest(std::uint16_t value) { sequence_ = value; }

 private:
  enum class KeySet { None, Clear, Provisioning, Session };

  Bytes HandleLink(const Bytes& payload);
  Bytes HandleReader(const Bytes& payload);
  Bytes HandleSecured(const Bytes& payload);
  Bytes Authenticate(const Bytes& payload);
  Bytes ProvisionStart(const Bytes& payload);
  Bytes ProvisionKeys(const Bytes& payload);
  Bytes RegisterCardKeys(const Bytes& payload);
  void EndSession();
  Bytes StatusWord(std::uint8_t sw1, std::uint8_t sw2, const Bytes& data = {});
  Bytes Violation(const std::string& what, std::uint8_t sw1, std::uint8_t sw2);

  World& world_;
  int speed_ = 9600;
  int preparation_step_ = 0;         // 0x01, 0x11 01 00, 0x13 seen in order after the speed change
  bool provisioning_ = false;        // between 85 00 02 and 85 00 01
  std::optional<Block8> challenge_;  // Q of the last 0x81, until 0x83 uses it
  KeySet session_set_ = KeySet::None;
  Block8 ra_{};
  Block8 rb_{};
  Block8 session_key_{};
  std::uint16_t sequence_ = 0;  // the sequence number the next secured frame must carry
  bool renewal_due_ = false;    // 0xFFFF was used: a new authentication must come first
  CardSession card_session_;
};

}  // namespace readersim
