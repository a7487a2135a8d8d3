// A small host for the simulator tests, written from the host side of the
// reader protocol; it shares nothing with the card library but the cipher layer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "readersim/keys.h"
#include "readersim/wire.h"
#include "tests/support/reader_frames.h"

namespace readersim_test {

using readersim::Block8;
using readersim::Bytes;

// Sends one frame, returns the whole reply frame (nullopt: no reply).
using Transport = std::function<std::optional<Bytes>(const Bytes& frame)>;

// A host frame has the layout of a reply frame, the leader in place of the status.
inline Bytes Frame(std::uint8_t leader, const Bytes& payload) { return testing_support::ReplyFrame(leader, payload); }
using testing_support::Hex;

struct KeySet {
  Block8 k1{}, k2{}, k3{};
};

class TestHost {
 public:
  explicit TestHost(Transport transport) : transport_(std::move(transport)) {}

  // Link and reader commands; the payload of the reply (empty when none).
  std::optional<Bytes> Clear(std::uint8_t leader, const Bytes& payload);
  // True when the reply's payload ends in 90 00.
  bool ClearOk(std::uint8_t leader, const Bytes& payload);

  // Reader check, set speed 115200, 01, 11 01 00, 13 04 05.
  bool Prepare();
  // 87; provisioning when a key state byte is 0; authentication with the
  // session set; card-key registration of slots 0..10.
  bool StartSession(const readersim::KeyConfig& keys);
  bool Authenticate(const std::optional<KeySet>& set);  // nullopt: the clear set
  bool RegisterCardKeys(const readersim::KeyConfig& keys);
  bool Open(const readersim::KeyConfig& keys) { return Prepare() && StartSession(keys); }
  bool Close();

  // A card command through the secured exchange; the clear reply payload.
  // nullopt when the exchange failed (then `last_status` says why).
  std::optional<Bytes> Secured(const Bytes& command);

  std::uint16_t sequence() const { return sequence_; }
  void set_sequence(std::uint16_t value) { sequence_ = value; }
  std::uint8_t last_status() const { return last_status_; }

 private:
  Transport transport_;
  Block8 ra_{}, rb_{}, session_key_{};
  std::uint16_t sequence_ = 0;
  std::uint8_t last_status_ = 0;
  std::uint64_t counter_ = 0x0123456789ULL;
};

// Card command payloads.
inline Bytes PollingCommand() { return {0x00, 0x81, 0x65, 0x01, 0x00}; }
inline Bytes SelectKeysCommand(std::uint8_t a, std::uint8_t b) { return {0x42, a, b}; }
Bytes AuthenticateCommand(const Block8& idm, std::uint16_t service);
Bytes WriteCommand(const Block8& idm, const std::vector<std::uint8_t>& blocks, const Bytes& data);

}  // namespace readersim_test
