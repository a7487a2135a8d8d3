#include "cardlib/reader_session.h"

#include <cstring>

#include "cardlib/card_frames.h"
#include "cardlib/cipher/secure_wipe.h"
#include "cardlib/frames.h"
#include "cardlib/session_cipher.h"
#include "platform/random.h"

namespace corvex {

namespace {

// Reader instructions of the session.
constexpr std::uint8_t kKeyState = 0x87;
constexpr std::uint8_t kChallenge = 0x81;
constexpr std::uint8_t kProof = 0x83;
constexpr std::uint8_t kProvision = 0x85;
constexpr std::uint8_t kRegisterKeys = 0x89;

constexpr std::size_t kKeyStateSize = 3;
constexpr std::uint8_t kProvisionStart[] = {0x02, 0x11, 0x02};
constexpr std::uint8_t kRegistrationVersion = 0x00;
constexpr std::uint8_t kFirstCardKeySlot = 0x00;
constexpr std::size_t kSecuredHeader = 4;  // sequence number and length inside the secured block
constexpr std::uint16_t kLastSequence = 0xFFFF;

void Xor8(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out) {
  for (std::size_t i = 0; i < kDesKeySize; ++i) out[i] = a[i] ^ b[i];
}

}  // namespace

void ReaderSession::End() {
  SecureWipe(rb_, sizeof rb_);
  SecureWipe(ra_, sizeof ra_);
  SecureWipe(session_key_, sizeof session_key_);
  sequence_ = 0;
  active_ = false;
  renew_ = false;
}

Detail ReaderSession::Lost(Detail detail) {
  link_.Purge();
  renew_ = true;
  return detail;
}

Detail ReaderSession::Start() {
  End();
  std::uint8_t state[kKeyStateSize] = {};
  if (const Detail asked = link_.ReaderCommand(kKeyState, 0x00, 0x00, nullptr, 0, state, sizeof state);
      asked != kLinkOk) {
    return asked;
  }
  for (const std::uint8_t byte : state) {
    if (byte == 0) {
      if (const Detail provisioned = Provision(); provisioned != kLinkOk) return provisioned;
      break;
    }
  }
  return Authenticate(KeyChoice::Session);
}

Detail ReaderSession::Provision() {
  if (const Detail clear = Authenticate(KeyChoice::Clear); clear != kLinkOk) return clear;
  if (const Detail started =
          link_.ReaderCommand(kProvision, 0x00, 0x02, kProvisionStart, sizeof kProvisionStart, nullptr, 0);
      started != kLinkOk) {
    return started;
  }
  if (Authenticate(KeyChoice::Provisioning) != kLinkOk) {
    if (const Detail session = Authenticate(KeyChoice::Session); session != kLinkOk) return session;
  }
  const ReaderKeySet& keys = CompiledKeys().session;
  std::uint8_t clear[4 * kDesKeySize];
  std::uint8_t sealed[sizeof clear];
  ScopedWipe clear_wipe(clear, sizeof clear);
  ScopedWipe sealed_wipe(sealed, sizeof sealed);
  std::memcpy(clear, session_key_, kDesKeySize);
  for (std::size_t k = 0; k < 3; ++k) std::memcpy(clear + (k + 1) * kDesKeySize, keys.keys[k], kDesKeySize);
  if (!TripleDesEncrypt(rb_, ra_, clear, sizeof clear, sealed)) return kReaderProtocol;
  const Detail written = link_.ReaderCommand(kProvision, 0x00, 0x01, sealed, sizeof sealed, nullptr, 0);
  End();  // the reader starts over after taking its keys
  return written;
}

Detail ReaderSession::Authenticate(KeyChoice choice) {
  End();
  const KeyMaterial& material = CompiledKeys();
  const ReaderKeySet* set = choice == KeyChoice::Session        ? &material.session
                            : choice == KeyChoice::Provisioning ? &material.provisioning
                                                                : nullptr;
  std::uint8_t q[kDesKeySize];
  std::uint8_t rb[kDesKeySize];
  std::uint8_t ra[kDesKeySize];
  std::uint8_t proof[2 * kDesKeySize];
  std::uint8_t z[kDesKeySize];
  std::uint8_t z_clear[kDesKeySize];
  ScopedWipe wipes[] = {{q, sizeof q},         {rb, sizeof rb}, {ra, sizeof ra},
                        {proof, sizeof proof}, {z, sizeof z},   {z_clear, sizeof z_clear}};

  if (const Detail asked = link_.ReaderCommand(kChallenge, 0x00, 0x00, nullptr, 0, q, sizeof q); asked != kLinkOk) {
    return asked;
  }
  if (!platform::FillRandom(ra, sizeof ra)) return kReaderProtocol;
  if (set == nullptr) {
    std::memcpy(rb, q, sizeof rb);
    std::memcpy(proof, rb, kDesKeySize);
    std::memcpy(proof + kDesKeySize, ra, kDesKeySize);
  } else {
    const bool ciphered = TripleDesDecrypt(set->keys[0], set->keys[1], q, sizeof q, rb) &&
                          TripleDesEncrypt(set->keys[1], set->keys[2], rb, sizeof rb, proof) &&
                          TripleDesEncrypt(set->keys[1], set->keys[2], ra, sizeof ra, proof + kDesKeySize);
    if (!ciphered) return kReaderProtocol;
  }
  if (const Detail answered = link_.ReaderCommand(kProof, 0x00, 0x00, proof, sizeof proof, z, sizeof z);
      answered != kLinkOk) {
    return answered;
  }
  if (set == nullptr) {
    std::memcpy(z_clear, z, sizeof z);
  } else if (!TripleDesDecrypt(set->keys[2], set->keys[0], z, sizeof z, z_clear)) {
    return kReaderProtocol;
  }
  if (std::memcmp(z_clear, ra, sizeof ra) != 0) return kReaderAuthentication;
  std::memcpy(rb_, rb, sizeof rb_);
  std::memcpy(ra_, ra, sizeof ra_);
  Xor8(ra, rb, session_key_);
  sequence_ = 1;
  active_ = true;
  return kLinkOk;
}

Detail ReaderSession::Exchange(const std::uint8_t* frame, std::size_t frame_length, std::uint8_t* reply,
                               std::size_t& reply_length) {
  if (frame == nullptr || reply == nullptr || frame_length < kFrameOverhead) return kLinkInvalidArgument;
  const std::size_t payload_length = AnnouncedLength(frame);
  if (payload_length + kFrameOverhead != frame_length) return kLinkInvalidArgument;
  const std::size_t pad = (8 - (payload_length + 5) % 8) % 8;
  const std::size_t secured_length = payload_length + 5 + pad;
  if (secured_length + kFrameOverhead > kFrameMax) return kReplyTooLarge;
  if (renew_) {
    link_.Purge();  // a late answer to the lost exchange may have come since
    if (const Detail renewed = Start(); renewed != kLinkOk) {
      renew_ = true;
      return renewed;
    }
  }
  if (!active_) return kReaderAuthentication;

  std::uint8_t block[kFrameMax];
  std::uint8_t sent[kFrameMax];
  std::uint8_t answer[kFrameMax];
  std::uint8_t clear[kFrameMax];
  ScopedWipe wipes[] = {{block, sizeof block}, {sent, sizeof sent}, {answer, sizeof answer}, {clear, sizeof clear}};

  const std::uint16_t sequence = sequence_;
  std::memset(block, 0, secured_length);
  block[0] = static_cast<std::uint8_t>(sequence >> 8);
  block[1] = static_cast<std::uint8_t>(sequence);
  block[2] = static_cast<std::uint8_t>(payload_length >> 8);
  block[3] = static_cast<std::uint8_t>(payload_length);
  std::memcpy(block + kSecuredHeader, frame + 3, payload_length);
  block[secured_length - 1] = XorChecksum(block, secured_length - 1);

  sent[0] = frame[0];
  sent[1] = static_cast<std::uint8_t>(secured_length >> 8);
  sent[2] = static_cast<std::uint8_t>(secured_length);
  if (!DesCbcEncrypt(session_key_, block, secured_length, sent + 3)) return kReaderProtocol;
  sent[3 + secured_length] = XorChecksum(sent, 3 + secured_length);

  std::size_t answer_length = sizeof answer;
  if (const Detail exchanged = link_.Exchange(sent, secured_length + kFrameOverhead, answer, answer_length);
      exchanged != kLinkOk) {
    return Lost(exchanged);
  }
  const std::size_t f = AnnouncedLength(answer);
  if (f == 0) return Lost(kSecuredReplyEmpty);
  const bool renew = sequence == kLastSequence;
  if (!renew) ++sequence_;
  const Detail opened = OpenReply(answer, answer_length, sequence, clear, reply, reply_length);
  if (!renew) return opened != kLinkOk ? Lost(opened) : opened;
  // The numbers are used up: a new session follows even a failed reply; when
  // it fails, the next exchange tries again.
  const Detail renewed = Start();
  if (renewed != kLinkOk) renew_ = true;
  return opened != kLinkOk ? opened : renewed;
}

Detail ReaderSession::OpenReply(const std::uint8_t* answer, std::size_t answer_length, std::uint16_t sequence,
                                std::uint8_t* clear, std::uint8_t* reply, std::size_t& reply_length) const {
  const std::size_t f = AnnouncedLength(answer);
  if (f + kFrameOverhead != answer_length || !DesCbcDecrypt(session_key_, answer + 3, f, clear)) {
    return kReaderProtocol;
  }
  const std::uint16_t echoed = static_cast<std::uint16_t>(clear[0] << 8 | clear[1]);
  if (echoed != sequence) return kReaderAuthentication;
  const std::size_t m = std::size_t{clear[2]} << 8 | clear[3];
  // The reply's payload must lie inside the deciphered block, before its checksum.
  if (m + 5 > f) return kReaderProtocol;
  if (m + kFrameOverhead > reply_length) return kReplyTooLarge;
  reply[0] = answer[0];
  reply[1] = clear[2];
  reply[2] = clear[3];
  std::memcpy(reply + 3, clear + kSecuredHeader, m);
  reply[3 + m] = XorChecksum(reply, 3 + m);
  reply_length = m + kFrameOverhead;
  return kLinkOk;
}

Detail ReaderSession::RegisterCardKeys() {
  if (!active_) return kReaderAuthentication;
  const KeyMaterial& material = CompiledKeys();
  std::uint8_t clear[kDesKeySize + kCardKeyBlockSize];
  std::uint8_t sealed[sizeof clear];
  std::uint8_t frame[kFrameMax];
  std::uint8_t reply[kFrameMax];
  ScopedWipe wipes[] = {{clear, sizeof clear}, {sealed, sizeof sealed}, {frame, sizeof frame}, {reply, sizeof reply}};
  static_assert(sizeof clear <= 0xFF, "the registration's length byte holds the enciphered block");

  std::memcpy(clear, session_key_, kDesKeySize);
  for (std::size_t slot = 0; slot < kCardKeyCount; ++slot) {
    std::memcpy(clear + kDesKeySize * (slot + 1), material.card[slot], kDesKeySize);
  }
  if (!TripleDesEncrypt(rb_, ra_, clear, sizeof clear, sealed)) return kReaderProtocol;
  std::size_t frame_length = 0;
  if (const Detail built = BuildReaderCommand(kRegisterKeys, kRegistrationVersion, kFirstCardKeySlot, sealed,
                                              sizeof sealed, frame, sizeof frame, frame_length);
      built != kFrameOk) {
    return built;
  }
  std::size_t length = sizeof reply;
  if (const Detail sent = link_.Exchange(frame, frame_length, reply, length); sent != kLinkOk) return sent;
  return KeyRegistrationReplyDetail(reply, length);
}

}  // namespace corvex
