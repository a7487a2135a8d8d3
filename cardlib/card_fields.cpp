#include "cardlib/card_fields.h"

#include <cstring>
#include <iterator>

#include "cardlib/cipher/secure_wipe.h"
#include "cardlib/frames.h"

namespace corvex {

namespace {

struct ServiceRow {
  std::uint8_t code[2];  // as sent: the little-endian bytes of the code
  std::uint8_t key_slot_a;
};

// Services 0..9: even rows read-only, odd rows read/write over the same blocks.
constexpr ServiceRow kServices[] = {
    {{0x0A, 0x66}, 1}, {{0x08, 0x66}, 2}, {{0x0A, 0x67}, 3}, {{0x08, 0x67}, 4}, {{0x0A, 0x68}, 5},
    {{0x08, 0x68}, 6}, {{0x0A, 0x69}, 7}, {{0x08, 0x69}, 8}, {{0x0A, 0x6A}, 9}, {{0x08, 0x6A}, 10},
};
constexpr std::uint8_t kKeySlotB = 0;

// Sent with every card authentication.
constexpr std::uint8_t kAreaCodes[] = {0x00, 0x00, 0x00, 0x65};
constexpr std::size_t kAreaCount = 2;

struct FieldRow {
  std::uint8_t read_service;
  std::uint8_t write_service;
  std::uint8_t first_block;
  std::uint8_t block_count;
};

// By Field.
constexpr FieldRow kFields[] = {
    {0, 1, 0, 8},   // user ID
    {0, 1, 8, 16},  // password
    {2, 3, 0, 1},   // retry limit and count
    {2, 3, 0, 1},   // the same block, for the retry count
    {2, 3, 1, 1},   // PIN
    {4, 5, 0, 8},   // administrator ID on a user card
    {4, 5, 8, 4},   // user name
    {4, 5, 12, 1},  // issue count
    {4, 5, 13, 1},  // last issue date
    {4, 5, 14, 1},  // expiry date
    {4, 5, 15, 8},  // comment to the user
    {6, 7, 0, 8},   // administrator ID of an administrator card
    {6, 7, 8, 8},   // comment of an administrator card
    {8, 9, 0, 1},   // user code
    {8, 9, 2, 1},   // user configuration
    {8, 9, 3, 1},   // prepaid charge
    {8, 9, 4, 1},   // user charge
    {8, 9, 5, 1},   // charge upper limit
    {8, 9, 6, 2},   // last user charge
    {8, 9, 8, 2},   // last user payment
    {8, 9, 10, 1},  // transaction status
};
static_assert(std::size(kFields) == static_cast<std::size_t>(Field::TransactionStatus) + 1);

const FieldRow& RowOf(Field field) { return kFields[static_cast<std::size_t>(field)]; }

CardAccess AccessFor(const std::uint8_t* card_id, const ServiceRow& service) {
  return CardAccess{card_id, kAreaCodes, kAreaCount, service.code, 1};
}

// The block numbers of one chunk: `count` blocks from `first`.
void ChunkBlocks(std::uint8_t first, std::size_t count, std::uint8_t* blocks) {
  for (std::size_t i = 0; i < count; ++i) blocks[i] = static_cast<std::uint8_t>(first + i);
}

}  // namespace

std::size_t FieldSize(Field field) { return std::size_t{RowOf(field).block_count} * kBlockSize; }

Card::CommandBuffers::~CommandBuffers() {
  SecureWipe(frame, sizeof frame);
  SecureWipe(reply, sizeof reply);
}

template <typename Build>
Detail Card::Send(CommandBuffers& buffers, std::uint8_t expected, Build&& build) {
  std::size_t length = 0;
  if (const Detail built = build(buffers.frame, sizeof buffers.frame, length); built != kFrameOk) return built;
  buffers.reply_length = sizeof buffers.reply;
  if (const Detail sent = session_.Exchange(buffers.frame, length, buffers.reply, buffers.reply_length);
      sent != kLinkOk) {
    return sent;
  }
  return CheckCardReply(buffers.reply, buffers.reply_length, expected);
}

Detail Card::SelectKeys(std::uint8_t slot_a) {
  CommandBuffers buffers;
  return Send(buffers, kResponseSelectKeys, [&](std::uint8_t* out, std::size_t capacity, std::size_t& length) {
    return BuildSelectKeys(slot_a, kKeySlotB, out, capacity, length);
  });
}

Detail Card::ReadField(Field field) {
  const FieldRow& row = RowOf(field);
  const ServiceRow& service = kServices[row.read_service];
  const CardAccess access = AccessFor(current_card_, service);
  std::memset(read_buffer_, 0, sizeof read_buffer_);
  CommandBuffers buffers;
  std::size_t done = 0;
  while (done < row.block_count) {
    const std::size_t count = row.block_count - done < kReadBlocksMax ? row.block_count - done : kReadBlocksMax;
    std::uint8_t blocks[kReadBlocksMax];
    ChunkBlocks(static_cast<std::uint8_t>(row.first_block + done), count, blocks);
    if (const Detail selected = SelectKeys(service.key_slot_a); selected != kCardOk) return selected;
    if (const Detail read = Send(buffers, kResponseAuthenticateAndRead,
                                 [&](std::uint8_t* out, std::size_t capacity, std::size_t& length) {
                                   return BuildAuthenticateAndRead(access, blocks, count, out, capacity, length);
                                 });
        read != kCardOk) {
      return read;
    }
    const std::size_t offset = done * kBlockSize;
    std::size_t copied = 0;
    if (const Detail taken =
            CopyReadData(buffers.reply, buffers.reply_length, read_buffer_ + offset, count * kBlockSize, copied);
        taken != kCardOk) {
      return taken;
    }
    // A reply must carry the blocks asked for, or the field would be read short.
    if (copied != count * kBlockSize) return kReaderProtocol;
    done += count;
  }
  return kCardOk;
}

std::uint8_t* Card::ClearWriteBuffer() {
  std::memset(write_buffer_, 0, sizeof write_buffer_);
  return write_buffer_;
}

Detail Card::WriteField(Field field) {
  const FieldRow& row = RowOf(field);
  const ServiceRow& service = kServices[row.write_service];
  const CardAccess access = AccessFor(current_card_, service);
  CommandBuffers buffers;
  if (const Detail selected = SelectKeys(service.key_slot_a); selected != kCardOk) return selected;
  if (const Detail authenticated = Send(buffers, kResponseAuthenticate,
                                        [&](std::uint8_t* out, std::size_t capacity, std::size_t& length) {
                                          return BuildAuthenticate(access, out, capacity, length);
                                        });
      authenticated != kCardOk) {
    return authenticated;
  }
  std::size_t done = 0;
  while (done < row.block_count) {
    const std::size_t count = row.block_count - done < kWriteBlocksMax ? row.block_count - done : kWriteBlocksMax;
    std::uint8_t blocks[kWriteBlocksMax];
    ChunkBlocks(static_cast<std::uint8_t>(row.first_block + done), count, blocks);
    const std::uint8_t* data = write_buffer_ + done * kBlockSize;
    if (const Detail written = Send(buffers, kResponseWrite,
                                    [&](std::uint8_t* out, std::size_t capacity, std::size_t& length) {
                                      return BuildWrite(current_card_, blocks, count, data, out, capacity, length);
                                    });
        written != kCardOk) {
      return written;
    }
    done += count;
  }
  return kCardOk;
}

Detail Card::Poll(const std::uint8_t* system_codes, std::size_t count, bool& found) {
  found = false;
  std::memset(sensed_id_, 0, sizeof sensed_id_);
  std::memset(sensed_parameters_, 0, sizeof sensed_parameters_);
  CommandBuffers buffers;
  const std::uint8_t expected = count == 1 ? kResponsePolling : kResponsePollingSeveral;
  const Detail polled = Send(buffers, expected, [&](std::uint8_t* out, std::size_t capacity, std::size_t& length) {
    return BuildPolling(system_codes, count, out, capacity, length);
  });
  if (polled == kCardNoAnswer) return kCardOk;
  if (polled != kCardOk) return polled;
  const std::uint8_t* id = CardPayload(buffers.reply) + (count == 1 ? 1 : 4);
  std::memcpy(current_card_, id, kCardIdSize);
  std::memcpy(sensed_id_, id, kCardIdSize);
  std::memcpy(sensed_parameters_, id + kCardIdSize, kCardIdSize);
  found = true;
  return kCardOk;
}

Detail Card::RequestResponse() {
  CommandBuffers buffers;
  return Send(buffers, kResponseRequestResponse, [&](std::uint8_t* out, std::size_t capacity, std::size_t& length) {
    return BuildRequestResponse(current_card_, out, capacity, length);
  });
}

bool Card::SameAsRemembered(const std::uint8_t* system_codes, std::size_t count) const {
  return count == remembered_count_ && std::memcmp(system_codes, remembered_list_, 2 * count) == 0;
}

void Card::Remember(const std::uint8_t* system_codes, std::size_t count) {
  std::memset(remembered_list_, 0, sizeof remembered_list_);
  std::memcpy(remembered_list_, system_codes, 2 * count);
  remembered_count_ = count;
}

void Card::ForgetCurrent() { std::memset(current_card_, 0, sizeof current_card_); }

void Card::WipeBuffers() noexcept {
  SecureWipe(read_buffer_, sizeof read_buffer_);
  SecureWipe(write_buffer_, sizeof write_buffer_);
}

void Card::Forget() {
  ForgetCurrent();
  std::memset(sensed_id_, 0, sizeof sensed_id_);
  std::memset(sensed_parameters_, 0, sizeof sensed_parameters_);
  std::memset(remembered_list_, 0, sizeof remembered_list_);
  remembered_count_ = 0;
  WipeBuffers();
}

}  // namespace corvex
