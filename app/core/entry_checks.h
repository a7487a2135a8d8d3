// The checks the operation dialogs make on typed texts, and the small
// conversions between texts and the shared records. "Digit" is an ASCII
// 0 to 9 tested byte by byte; a text's value is its decimal value, 0 when it
// is empty.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/core/dialog_view.h"
#include "app/core/message_helpers.h"
#include "app/core/records.h"
#include "cardlib/cipher/secret_text.h"

namespace pellam {

inline constexpr std::int32_t kNoProblem = 0;

// How many bytes of a field the checks read, as the window-text calls do.
inline constexpr std::size_t kTextRead = 255;  // user ID, password, name, comment, lock-out count
inline constexpr std::size_t kCodeRead = 15;   // user code

// The longest texts the card's fields take, which are also the limits of
// their edit controls.
inline constexpr std::size_t kLongestUserId = 128;
inline constexpr std::size_t kLongestPassword = 128;
inline constexpr std::size_t kLongestName = 64;
inline constexpr std::size_t kLongestComment = 128;
inline constexpr std::size_t kShortestPin = 4;
inline constexpr std::size_t kLongestPin = 8;

// The highest issue count (also the spinner's).
inline constexpr int kHighestIssueCount = 32767;

// The lock-out count: its highest value (also the spinner's) and the count a
// PIN check switched on starts with.
inline constexpr int kHighestLockout = 99;
inline constexpr int kDefaultLockout = 3;

// A question the checks ask the operator (or a batch's answer for him); true
// for OK.
using Question = std::function<bool(std::int32_t question)>;

// The dialogs' way of asking: a box with OK and Cancel (AskConfirm) under
// the question caption.
Question AskOperator(Messages& messages);

bool AllDigits(std::string_view text);
// The decimal value of a text of digits, held at 999,999,999,999 so that a
// pasted run of digits cannot overflow.
std::int64_t DecimalValue(std::string_view text);
// A byte 0x00 to 0x1F or 0x7F.
bool HasControlByte(std::string_view text);

// User name (9705) and comment (9710) each no longer than their field; 0
// when both fit.
std::int32_t CheckNameAndComment(std::string_view name, std::string_view comment);

// The user code rules shared by the issue and update dialogs: a non-digit
// 9911; empty 9812 when `required`, else the code 0; below 1 9811; above
// 99999998 9711. The value, when accepted, in `value`.
std::int32_t CheckUserCode(std::string_view typed, bool required, std::uint32_t& value);

// Stores the value most significant byte first in the 16-byte user-code
// field, with length 4.
void StoreUserCode(TextField<16>& field, std::uint32_t value);
// The value back from the field (first four bytes, most significant first).
std::uint32_t StoredUserCode(const TextField<16>& field);

// The PIN rules shared by the issue and PIN change dialogs, with PIN check
// on: the PIN (9803 shorter than 4, 9703 longer than 8), its re-entry (7015
// unequal, 9803, 9703), digits in both (9903), the lock-out count (9909
// non-digit, 9702 above 99). 0 when all pass; the count in `lockout`.
std::int32_t CheckPinEntry(std::string_view pin, std::string_view again, std::string_view lockout_text,
                           std::int32_t& lockout);

// A text into a cleared field, its length set to the text's.
template <std::size_t N>
void StoreText(TextField<N>& field, std::string_view text) {
  field.Clear();
  const std::size_t length = std::min(text.size(), N);
  std::copy_n(text.begin(), length, field.bytes.begin());
  field.length = static_cast<std::int32_t>(length);
}

// A field's text: its bytes up to the stored length (within the buffer).
template <std::size_t N>
std::string_view FieldText(const TextField<N>& field) {
  const auto length = static_cast<std::size_t>(std::clamp<std::int32_t>(field.length, 0, static_cast<std::int32_t>(N)));
  return std::string_view(field.bytes.data(), length);
}

// A field's text up to its first zero byte, as the dialogs show it.
template <std::size_t N>
std::string ShownText(const TextField<N>& field) {
  return std::string(field.bytes.begin(), std::find(field.bytes.begin(), field.bytes.end(), '\0'));
}

// The same for a password or PIN, in wiping storage.
template <std::size_t N>
corvex::SecretText ShownSecret(const TextField<N>& field) {
  const auto end = std::find(field.bytes.begin(), field.bytes.end(), '\0');
  return corvex::SecretText(std::string_view(field.bytes.data(), static_cast<std::size_t>(end - field.bytes.begin())));
}

// A number as the list library writes it (no sign, no leading zeros); empty
// outside 0..99999.
std::string NumberText(std::int32_t value);

}  // namespace pellam
