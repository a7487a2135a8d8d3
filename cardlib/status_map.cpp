#include "cardlib/status_map.h"

#include "cardlib/Corvex.h"

namespace corvex {

namespace {

struct DetailRange {
  Detail first;
  Detail last;
  std::int32_t status;
};

// Details with a status of their own, first match wins.
constexpr DetailRange kStatusTable[] = {
    {0, 0, CORVEX_OK},
    {kLinkOk, kLinkOk, CORVEX_OK},
    {kFrameOk, kFrameOk, CORVEX_OK},
    {kCardOk, kCardOk, CORVEX_OK},
    {kCardResponseBase, kCardResponseBase, CORVEX_OK},
    {kExportOk, kExportOk, CORVEX_OK},
    {kLinkInvalidArgument, kLinkInvalidArgument, CORVEX_INVALID_ARGUMENT},
    {kFrameInvalidArgument, kFrameInvalidArgument, CORVEX_INVALID_ARGUMENT},
    {kCardInvalidArgument, kCardInvalidArgument, CORVEX_INVALID_ARGUMENT},
    {kInvalidArgument, kInvalidArgument, CORVEX_INVALID_ARGUMENT},
    {kReplyTooLarge, kReplyTooLarge, CORVEX_BUFFER_TOO_SMALL},
    {kFrameTooLarge, kFrameTooLarge, CORVEX_BUFFER_TOO_SMALL},
    {kCardBufferTooSmall, kCardBufferTooSmall, CORVEX_BUFFER_TOO_SMALL},
    {kBufferTooSmall, kBufferTooSmall, CORVEX_BUFFER_TOO_SMALL},
    {kReplyIncomplete, kTimeLimitReached, CORVEX_INCOMPLETE_ANSWER},
    {kNoPin, kNoPin, CORVEX_NO_PIN},
    {kWrongPin, kWrongPin, CORVEX_WRONG_PIN},
    {kCardNoAnswer, kCardNoAnswer, CORVEX_NO_CARD},
    {kCardGone, kCardGone, CORVEX_NO_CARD},
    {kPinLocked, kPinLocked, CORVEX_PIN_LOCKED},
    {kPinNowLocked, kPinNowLocked, CORVEX_WRONG_PIN_NOW_LOCKED},
    {kPortAlreadyOpen, kPortAlreadyOpen, CORVEX_ALREADY_OPEN},
    {kDeviceAlreadyOpen, kDeviceAlreadyOpen, CORVEX_ALREADY_OPEN},
    {kPortNotOpen, kPortNotOpen, CORVEX_NOT_OPEN},
    {kDeviceNotOpen, kDeviceNotOpen, CORVEX_NOT_OPEN},
    {kPortCloseFailed, kPortCloseFailed, CORVEX_CLOSE_FAILED},
    {kPortOpenFailed, kPortOpenFailed, CORVEX_READER_NOT_FOUND},
    {kReaderNotFound, kReaderNotFound, CORVEX_READER_NOT_FOUND},
    {kPortStateUnreadable, kPortReadFailed, CORVEX_PORT_FAILURE},
    {kReaderBusy, kReaderBusy, CORVEX_READER_STATUS},
    {kReaderStatus81, kReaderStatus81, CORVEX_READER_STATUS},
    {kReaderStatus82, kReaderStatus82, CORVEX_READER_STATUS},
    {kReaderStatus83, kReaderStatus83, CORVEX_READER_STATUS},
    {kReaderStatus84, kReaderStatus84, CORVEX_READER_STATUS},
    {kReaderStatus87, kReaderStatus87, CORVEX_READER_STATUS},
    {0x80400ED, 0x80400ED, CORVEX_RESPONSE_ED},
    {0x80400FD, 0x80400FD, CORVEX_RESPONSE_FD_FF},
    {0x80400FF, 0x80400FF, CORVEX_RESPONSE_FD_FF},
    {kReaderProtocol, kReaderProtocol, CORVEX_PROTOCOL_FAILURE},
    {kReaderAuthentication, kReaderAuthentication, CORVEX_PROTOCOL_FAILURE},
    {kSecuredReplyEmpty, kSecuredReplyEmpty, CORVEX_PROTOCOL_FAILURE},
    {kCardReplyLength, kCardReplyLength, CORVEX_PROTOCOL_FAILURE},
    {0x80400EB, 0x80400EB, CORVEX_PROTOCOL_FAILURE},
    {0x80400FB, 0x80400FB, CORVEX_PROTOCOL_FAILURE},
    {kChargeLimit, kChargeLimit, CORVEX_CHARGE_LIMIT},
    {kOutOfMemory, kInternalFailure, CORVEX_FAILURE},
};

// Details the phase bit is never added to.
constexpr DetailRange kUntagged[] = {
    {kLinkOk, kReplyIncomplete, 0},
    {kPortAlreadyOpen, kPortReadFailed, 0},
    {kReaderProtocol, kReaderProtocol, 0},
    {kSecuredReplyEmpty, kSecuredReplyEmpty, 0},
};

// Status words and failure flags of the link, frame and card layers:
// 0x?11XXYY while opening, 0x?21XXYY while closing, any other 0x?1?XXYY or
// 0x?2?XXYY otherwise.
std::int32_t FamilyStatus(Detail detail) {
  const Detail layer = detail >> 24;
  const Detail kind = (detail >> 16) & 0xFF;
  if (layer != 0x02 && layer != 0x04 && layer != 0x08) return CORVEX_FAILURE;
  if ((kind & 0x0F) != 1 && (kind & 0x0F) != 2) return CORVEX_FAILURE;
  if (kind == 0x11) return CORVEX_READER_NOT_FOUND;
  if (kind == 0x21) return CORVEX_CLOSE_REFUSED;
  return CORVEX_CARD_FAILURE;
}

std::int32_t StatusForDetail(Detail detail) {
  for (const DetailRange& row : kStatusTable) {
    if (detail >= row.first && detail <= row.last) return row.status;
  }
  return FamilyStatus(detail);
}

}  // namespace

std::int32_t MapDetail(Detail detail, Detail& last_error) noexcept {
  if (!IsSuccess(detail)) last_error = detail;
  return StatusForDetail(detail);
}

Detail TagPhase(Detail detail, LinkPhase phase) {
  for (const DetailRange& row : kUntagged) {
    if (detail >= row.first && detail <= row.last) return detail;
  }
  return detail | (phase == LinkPhase::Opening ? kPhaseOpening : kPhaseClosing);
}

}  // namespace corvex
