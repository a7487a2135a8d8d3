// The card's data layout (services and fields, as tables) and the two
// procedures that move one field between the card and the library: read a
// field (Select keys and Authenticate and read per chunk of 12 blocks) and
// write a field (Select keys and Authenticate once, then Write per chunk of
// 8 blocks). Also the card commands of sensing: polling and Request response.
//
//   card data, PIN -> [card fields] -> reader session -> reader link
//                           `-> card frames (builders, reply checks)
//
// Each field transfer authenticates afresh; nothing about the card is kept
// but the current card identifier. Every buffer here that held a clear frame
// or reply is wiped when its procedure returns. Details returned are those of the layers
// below (0x02 link and session, 0x04 frame building, 0x08 card commands).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cardlib/card_frames.h"
#include "cardlib/error_detail.h"
#include "cardlib/reader_session.h"

namespace corvex {

enum class Field : std::uint8_t {
  UserId = 0,
  Password,
  PinControl,
  RetryCount,  // the same block as PinControl
  Pin,
  AdminIdOnUser,
  UserName,
  IssueCount,
  IssueDate,
  ExpiryDate,
  CommentToUser,
  AdminIdOfAdmin,
  CommentOfAdmin,
  UserCode,
  UserConfig,
  PreCharge,
  UserCharge,
  ChargeLimit,
  LastUserCharge,
  LastUserPayment,
  TransactionStatus,
};

inline constexpr std::size_t kFieldBufferSize = 1024;  // the library's read and write buffers

// The size of a field in bytes (its blocks times 16).
std::size_t FieldSize(Field field);

// The card: the current card, the last polling, the polling lists and the
// two field buffers, and the procedures over them.
class Card {
 public:
  explicit Card(ReaderSession& session) : session_(session) {}
  ~Card() { Forget(); }
  Card(const Card&) = delete;
  Card& operator=(const Card&) = delete;

  // Reads `field` into the read buffer (zeroed first; the field's bytes at
  // its start).
  Detail ReadField(Field field);
  const std::uint8_t* ReadData() const { return read_buffer_; }

  // The write buffer, zeroed, for the caller to place a field's bytes in.
  std::uint8_t* ClearWriteBuffer();
  // Writes `field` from the write buffer. A failure leaves the blocks of
  // earlier chunks written.
  Detail WriteField(Field field);

  // Polls for `count` (1..16) system codes. On success the identifier becomes
  // the current and the sensed identifier, the parameters are kept and
  // `found` is true; a reader reporting no card gives success with `found`
  // false.
  Detail Poll(const std::uint8_t* system_codes, std::size_t count, bool& found);
  // Request response to the current card: 0x8000000 when it answers.
  Detail RequestResponse();

  // The polling list of the last sense that changed it.
  bool SameAsRemembered(const std::uint8_t* system_codes, std::size_t count) const;
  void Remember(const std::uint8_t* system_codes, std::size_t count);
  const std::uint8_t* RememberedList() const { return remembered_list_; }
  std::size_t RememberedCount() const { return remembered_count_; }

  const std::uint8_t* SensedId() const { return sensed_id_; }
  const std::uint8_t* SensedParameters() const { return sensed_parameters_; }

  // Wipes the read and write buffers: card plaintext stays there no longer
  // than the operation that used it.
  void WipeBuffers() noexcept;

  // Forgets the current card (zeroes its identifier).
  void ForgetCurrent();
  // Forgets everything: the current card, the sensed data, the lists and
  // the buffers.
  void Forget();

 private:
  // The buffers of one card command; both are wiped as it ends, since the
  // clear frames and replies carry the fields' data.
  struct CommandBuffers {
    std::uint8_t frame[kFrameMax];
    std::uint8_t reply[kFrameMax];
    std::size_t reply_length = 0;
    CommandBuffers() = default;
    CommandBuffers(const CommandBuffers&) = delete;
    CommandBuffers& operator=(const CommandBuffers&) = delete;
    ~CommandBuffers();
  };

  // One card command: its clear frame built by `build(frame, capacity,
  // length)` (a frame builder of card_frames.h), exchanged through the
  // secured session, and its reply checked for the response code `expected`.
  template <typename Build>
  Detail Send(CommandBuffers& buffers, std::uint8_t expected, Build&& build);
  Detail SelectKeys(std::uint8_t slot_a);

  ReaderSession& session_;
  std::uint8_t current_card_[kCardIdSize] = {};
  std::uint8_t sensed_id_[kCardIdSize] = {};
  std::uint8_t sensed_parameters_[kCardIdSize] = {};
  std::uint8_t remembered_list_[2 * kPollingCodesMax] = {};
  std::size_t remembered_count_ = 0;
  std::uint8_t read_buffer_[kFieldBufferSize] = {};
  std::uint8_t write_buffer_[kFieldBufferSize] = {};
};

}  // namespace corvex
