// Error details: the layered 32-bit codes every part of the library returns.
//
// The top byte names the layer that raised the detail: 0x02 serial link and
// reader, 0x04 frame building, 0x08 card commands, 0x10 exported operations.
// Each layer's "0" value (0x2000000, 0x4000000, 0x8000000, 0x8040000,
// 0x10000000) means success. status_map.h turns a detail into the status code
// an export returns.
#pragma once

#include <cstdint>

namespace corvex {

using Detail = std::uint32_t;

// Serial link and reader (0x02).
inline constexpr Detail kLinkOk = 0x2000000;
inline constexpr Detail kLinkInvalidArgument = 0x2000001;
inline constexpr Detail kReplyTooLarge = 0x2000002;     // the reply does not fit the caller's buffer
inline constexpr Detail kReplyIncomplete = 0x2000003;   // fewer bytes than announced after five more reads
inline constexpr Detail kTimeLimitReached = 0x2000004;  // the function's time limit left no room for the next step
inline constexpr Detail kPortAlreadyOpen = 0x2000011;
inline constexpr Detail kPortNotOpen = 0x2000012;
inline constexpr Detail kPortOpenFailed = 0x2000013;
inline constexpr Detail kPortCloseFailed = 0x2000014;
inline constexpr Detail kPortStateUnreadable = 0x2000015;
inline constexpr Detail kPortSettingsRefused = 0x2000016;  // line settings, speed or timeouts
inline constexpr Detail kPortPurgeFailed = 0x2000017;
inline constexpr Detail kPortWriteFailed = 0x2000018;
inline constexpr Detail kPortReadFailed = 0x2000019;
inline constexpr Detail kReaderBusy = 0x2000100;  // status 0x80 / 0xA0: the one resend is due
inline constexpr Detail kReaderStatus81 = 0x2000200;
inline constexpr Detail kReaderStatus82 = 0x2000300;
inline constexpr Detail kReaderStatus83 = 0x2000400;
inline constexpr Detail kReaderStatus84 = 0x2000500;
inline constexpr Detail kReaderStatus87 = 0x2000600;
inline constexpr Detail kReaderProtocol = 0x2000700;  // unexpected or malformed answer, unknown status byte
inline constexpr Detail kReaderAuthentication = 0x2001200;
inline constexpr Detail kSecuredReplyEmpty = 0x2001300;
inline constexpr Detail kStatusWordBase = 0x2010000;  // plus SW1 * 256 + SW2 for a status word other than 9000

// Added to a detail raised while the link is being opened or closed.
inline constexpr Detail kPhaseOpening = 0x100000;
inline constexpr Detail kPhaseClosing = 0x200000;

// Frame building (0x04).
inline constexpr Detail kFrameOk = 0x4000000;
inline constexpr Detail kFrameInvalidArgument = 0x4000001;
inline constexpr Detail kFrameTooLarge = 0x4000002;

// Card commands and discovery (0x08).
inline constexpr Detail kCardOk = 0x8000000;
inline constexpr Detail kCardInvalidArgument = 0x8000001;
inline constexpr Detail kCardBufferTooSmall = 0x8000002;
inline constexpr Detail kReaderNotFound = 0x8000004;       // no reader in the registry, wrong model, USB reader gone
inline constexpr Detail kCardReplyLength = 0x8000005;      // the length field does not match the bytes received
inline constexpr Detail kCardStatusFlagsBase = 0x8010000;  // plus flag 1 * 256 + flag 2
inline constexpr Detail kCardResultBase = 0x8020000;       // plus byte 2 * 256 + byte 3
inline constexpr Detail kCardResponseBase = 0x8040000;     // plus an unexpected response code
inline constexpr Detail kCardNoAnswer = 0x80400EF;         // response or result 0xEF: no card answered

// Exported operations (0x10).
inline constexpr Detail kExportOk = 0x10000000;
inline constexpr Detail kNoPin = 0x10000002;
inline constexpr Detail kWrongPin = 0x10000003;
inline constexpr Detail kCardGone = 0x10000005;
inline constexpr Detail kPinLocked = 0x10000006;
inline constexpr Detail kPinNowLocked = 0x10000007;
inline constexpr Detail kOutOfMemory = 0x10000008;      // memory ran out inside the operation
inline constexpr Detail kInternalFailure = 0x10000009;  // any other failure inside the operation
inline constexpr Detail kDeviceAlreadyOpen = 0x10000100;
inline constexpr Detail kDeviceNotOpen = 0x10000200;
inline constexpr Detail kInvalidArgument = 0x10010000;
inline constexpr Detail kBufferTooSmall = 0x10020000;
inline constexpr Detail kChargeLimit = 0x10080000;

// True for 0 and each layer's success value.
constexpr bool IsSuccess(Detail detail) {
  return detail == 0 || detail == kLinkOk || detail == kFrameOk || detail == kCardOk || detail == kCardResponseBase ||
         detail == kExportOk;
}

}  // namespace corvex
