#include "oplog/log_line.h"

#include <algorithm>
#include <array>

namespace jornet {

namespace {

struct Operation {
  std::int32_t code;
  std::string_view name;
};

constexpr Operation kOperations[] = {
    {1, "issue new card"},
    {2, "update user data"},
    {3, "update user option"},
    {6, "change PIN property"},
    {7, "unlocked PIN"},
    {8, "initialize card (with userID delete from IDfile)"},
    {9, "initialize card (without userID delete from IDfile)"},
    {0x100, "issue new card (L)"},
    {0x200, "update user data (L)"},
    {0x700, "initialize card (L)"},
};

constexpr std::string_view kNoAction = "no action";

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The line under construction; the caller has made sure that it fits.
class LineWriter {
 public:
  explicit LineWriter(char* out) : out_(out) {}
  void Put(char c) { out_[size_++] = c; }
  void Put(std::string_view bytes) {
    for (char c : bytes) Put(c);
  }
  void PutText(std::string_view text) {
    for (char c : text) Put(IsControl(c) ? '?' : c);
  }
  // Decimal, no sign, no leading zeros ("0" for zero); a negative clock field
  // (never seen) is written as 0.
  void PutNumber(int value) {
    std::array<char, 12> reversed{};
    std::size_t n = 0;
    auto rest = static_cast<unsigned>(std::max(value, 0));
    do {
      reversed[n++] = static_cast<char>('0' + rest % 10);
      rest /= 10;
    } while (rest > 0);
    while (n > 0) Put(reversed[--n]);
  }
  std::size_t size() const { return size_; }

 private:
  char* out_;
  std::size_t size_ = 0;
};

}  // namespace

std::string_view OperationName(std::int32_t operation) {
  for (const Operation& known : kOperations) {
    if (known.code == operation) return known.name;
  }
  return kNoAction;
}

std::size_t MakeLogLine(const platform::LocalDateTime& when, std::string_view first, std::string_view second,
                        std::int32_t operation, char* line) {
  // The date and time first, into a scratch buffer, to learn how much room
  // the texts have: at most 5 fields of 11 characters and a comma each.
  std::array<char, 60> stamp{};
  LineWriter stamp_writer(stamp.data());
  for (int field : {when.year, when.month, when.day, when.hour, when.minute}) {
    stamp_writer.PutNumber(field);
    stamp_writer.Put(',');
  }
  const std::string_view name = OperationName(operation);
  const std::size_t fixed = stamp_writer.size() + 2 + name.size() + 1;  // two commas, the LF
  const std::size_t room = kLineSize - fixed;
  first = first.substr(0, room);
  second = second.substr(0, room - first.size());

  LineWriter out(line);
  out.Put(std::string_view(stamp.data(), stamp_writer.size()));
  out.PutText(first);
  out.Put(',');
  out.PutText(second);
  out.Put(',');
  out.Put(name);
  out.Put('\n');
  return out.size();
}

}  // namespace jornet
