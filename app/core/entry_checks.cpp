#include "app/core/entry_checks.h"

#include "app/core/text_ids.h"
#include "idlist/Tallix.h"

namespace pellam {

namespace {

constexpr std::int64_t kValueCeiling = 999'999'999'999;
constexpr std::int64_t kHighestUserCode = 99'999'998;

}  // namespace

Question AskOperator(Messages& messages) {
  return [&messages](std::int32_t question) {
    return messages.AskConfirm(question, messages.QuestionCaption()) == kAnswerOk;
  };
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int64_t DecimalValue(std::string_view text) {
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), kValueCeiling);
  }
  return value;
}

bool HasControlByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

std::int32_t CheckNameAndComment(std::string_view name, std::string_view comment) {
  if (name.size() > kLongestName) return text::kNameTooLong;
  if (comment.size() > kLongestComment) return text::kCommentTooLong;
  return kNoProblem;
}

std::int32_t CheckUserCode(std::string_view typed, bool required, std::uint32_t& value) {
  value = 0;
  if (!AllDigits(typed)) return text::kUserCodeNotDigits;
  if (typed.empty()) return required ? text::kUserCodeMissing : kNoProblem;
  const std::int64_t number = DecimalValue(typed);
  if (number < 1) return text::kUserCodeTooSmall;
  if (number > kHighestUserCode) return text::kUserCodeTooLarge;
  value = static_cast<std::uint32_t>(number);
  return kNoProblem;
}

void StoreUserCode(TextField<16>& field, std::uint32_t value) {
  field.bytes.fill('\0');
  const std::uint32_t stored = SwapBytes32(value);
  std::copy_n(reinterpret_cast<const char*>(&stored), sizeof stored, field.bytes.begin());
  field.length = 4;
}

std::uint32_t StoredUserCode(const TextField<16>& field) {
  std::uint32_t stored = 0;
  std::copy_n(field.bytes.begin(), sizeof stored, reinterpret_cast<char*>(&stored));
  return SwapBytes32(stored);
}

std::int32_t CheckPinEntry(std::string_view pin, std::string_view again, std::string_view lockout_text,
                           std::int32_t& lockout) {
  lockout = 0;
  if (pin.size() < kShortestPin) return text::kPinTooShort;
  if (pin.size() > kLongestPin) return text::kPinTooLong;
  if (again != pin) return text::kPinsDiffer;
  if (again.size() < kShortestPin) return text::kPinTooShort;
  if (again.size() > kLongestPin) return text::kPinTooLong;
  if (!AllDigits(pin) || !AllDigits(again)) return text::kPinNotDigits;
  if (!AllDigits(lockout_text)) return text::kLockoutNotDigits;
  const std::int64_t count = DecimalValue(lockout_text);
  if (count > kHighestLockout) return text::kLockoutTooLarge;
  lockout = static_cast<std::int32_t>(count);
  return kNoProblem;
}

std::string NumberText(std::int32_t value) {
  char digits[TALLIX_NUMBER_DIGITS + 1] = {};
  std::int32_t count = 0;
  if (ChangeYMDForOutput(value, digits, &count) != 0) return {};
  return std::string(digits, static_cast<std::size_t>(count));
}

}  // namespace pellam
