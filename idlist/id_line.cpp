#include "idlist/id_line.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "idlist/number_format.h"

namespace tallix {

namespace {

constexpr char kQuote = '"';
constexpr std::size_t kQuotedFormCommas = 5;  // more than four

// A line being made, refusing any byte beyond a row.
class LineBuilder {
 public:
  bool Put(char c) {
    if (size_ == bytes_.size()) return false;
    bytes_[size_++] = c;
    return true;
  }
  bool PutNumber(std::int32_t value) {
    char digits[kNumberDigitsMax];
    std::int32_t count = 0;
    if (!FormatNumber(value, digits, count)) return false;
    for (std::int32_t i = 0; i < count; ++i) {
      if (!Put(digits[i])) return false;
    }
    return true;
  }
  std::string_view View() const { return {bytes_.data(), size_}; }

 private:
  std::array<char, kRowSize> bytes_{};
  std::size_t size_ = 0;
};

bool PutUserId(LineBuilder& out, std::string_view user_id) {
  if (user_id.find(',') == std::string_view::npos) {
    for (char c : user_id) {
      if (!out.Put(c)) return false;
    }
    return true;
  }
  if (!out.Put(kQuote)) return false;
  for (char c : user_id) {
    if (!out.Put(c) || (c == kQuote && !out.Put(kQuote))) return false;
  }
  return out.Put(kQuote);
}

}  // namespace

std::optional<std::size_t> MakeIdLine(std::string_view user_id, const IdNumbers& numbers, char* line) {
  if (user_id.find_first_of(std::string_view("\n\x1A", 2)) != std::string_view::npos) return std::nullopt;
  LineBuilder out;
  if (!PutUserId(out, user_id)) return std::nullopt;
  for (std::int32_t value : {numbers.year, numbers.month, numbers.day, numbers.issue_count}) {
    if (!out.Put(',') || !out.PutNumber(value)) return std::nullopt;
  }
  if (!out.Put('\n')) return std::nullopt;
  const std::string_view made = out.View();
  std::memcpy(line, made.data(), made.size());
  return made.size();
}

bool IsStorableLine(std::string_view line) {
  if (line.empty() || line.size() > kRowSize || line.back() != '\n') return false;
  const std::string_view text = line.substr(0, line.size() - 1);
  return text.find('\n') == std::string_view::npos && text.find('\x1A') == std::string_view::npos;
}

UserIdField ReadUserId(std::string_view line, std::string& scratch) {
  const bool quoted = !line.empty() && line.front() == kQuote &&
                      static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) >= kQuotedFormCommas;
  if (!quoted) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) return {line, line.size()};
    return {line.substr(0, comma), comma + 1};
  }
  scratch.clear();
  std::size_t i = 1;
  while (i < line.size()) {
    if (line[i] != kQuote) {
      scratch.push_back(line[i++]);
    } else if (i + 1 < line.size() && line[i + 1] == kQuote) {
      scratch.push_back(kQuote);
      i += 2;
    } else {
      ++i;  // the closing quote
      if (i < line.size() && line[i] == ',') ++i;
      break;
    }
  }
  return {scratch, i};
}

IdNumbers ReadNumbers(std::string_view line, std::size_t rest) {
  std::array<std::int32_t, 4> values{};
  std::size_t at = std::min(rest, line.size());
  for (std::int32_t& value : values) {
    const std::size_t comma = line.find(',', at);
    const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
    value = ParseNumber(line.substr(at, end - at));
    at = comma == std::string_view::npos ? line.size() : comma + 1;
  }
  return {values[0], values[1], values[2], values[3]};
}

}  // namespace tallix
