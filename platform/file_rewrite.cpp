#include "platform/file_rewrite.h"

#include "platform/clock.h"
#include "platform/text_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

namespace platform {

namespace {

constexpr std::string_view kTag{"REWRITE\x1A", 8};
constexpr std::size_t kTrailerSize = 48;  // tag, four lengths (8 each), two CRC-32s (4 each)
// The earlier format: the new contents, the tag "PENDING" and 0x1A, their
// length (8) and CRC-32 (4). It records no old contents, so it is never applied.
constexpr std::string_view kEarlierTag{"PENDING\x1A", 8};
constexpr std::size_t kEarlierTrailerSize = 20;
constexpr std::string_view kRefusedSuffix = "-refused";
constexpr int kRefusedNameTries = 9;

// CRC-32 as in zlib and PNG (reflected, polynomial 0xEDB88320): entry i is
// the remainder of the byte value i.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t remainder = i;
    for (int bit = 0; bit < 8; ++bit) remainder = (remainder & 1) ? 0xEDB88320u ^ (remainder >> 1) : remainder >> 1;
    table[i] = remainder;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// Continues a CRC-32 over more bytes; start with 0.
std::uint32_t Crc32(std::uint32_t crc, std::string_view bytes) {
  crc = ~crc;
  for (char c : bytes) crc = kCrcTable[(crc ^ static_cast<unsigned char>(c)) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

void PutLittleEndian(char* out, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

std::uint64_t GetLittleEndian(const char* in, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

std::optional<std::string> SideCopyPath(FileHandle file) {
  std::optional<std::string> path = PathOfFile(file);
  if (path) path->append(kSideCopySuffix);
  return path;
}

bool WriteAt(FileHandle file, std::uint64_t offset, std::string_view bytes) {
  return SeekFile(file, offset) && WriteToFile(file, bytes.data(), bytes.size());
}

// How the old contents are kept in a side copy: the head and the end they
// share with the new contents, and the old bytes between.
struct OldPart {
  std::size_t head;        // old and new agree on [0, head)
  std::size_t shared_end;  // ... and on their last shared_end bytes after it
  std::string_view middle;
};

OldPart SplitOld(std::string_view old_contents, std::size_t from, std::string_view tail) {
  std::size_t head = from;
  while (head < old_contents.size() && head - from < tail.size() && old_contents[head] == tail[head - from]) ++head;
  const std::string_view old_rest = old_contents.substr(head);
  const std::string_view new_rest = tail.substr(head - from);
  std::size_t end = 0;
  while (end < old_rest.size() && end < new_rest.size() &&
         old_rest[old_rest.size() - 1 - end] == new_rest[new_rest.size() - 1 - end]) {
    ++end;
  }
  return {head, end, old_rest.substr(0, old_rest.size() - end)};
}

// Step 1: the new contents (`head` then `tail`), the old bytes they lack and
// the trailer, durable.
bool WriteSideCopy(const std::string& path, std::string_view old_contents, std::size_t from, std::string_view tail) {
  const std::string_view head = old_contents.substr(0, from);
  const OldPart old = SplitOld(old_contents, from, tail);
  std::string rest(old.middle);  // the middle and the trailer, in one write
  rest.resize(old.middle.size() + kTrailerSize);
  char* trailer = rest.data() + old.middle.size();
  kTag.copy(trailer, kTag.size());
  const std::uint64_t new_size = head.size() + tail.size();
  PutLittleEndian(trailer + 8, new_size, 8);
  PutLittleEndian(trailer + 16, old.head, 8);
  PutLittleEndian(trailer + 24, old_contents.size(), 8);
  PutLittleEndian(trailer + 32, old.shared_end, 8);
  PutLittleEndian(trailer + 40, Crc32(0, old_contents), 4);
  const std::string_view checked(rest.data(), rest.size() - 4);
  PutLittleEndian(trailer + 44, Crc32(Crc32(Crc32(0, head), tail), checked), 4);

  UniqueFile side(OpenFile(path.c_str(), FileOpen::ReadWriteCreate));
  if (!side.valid()) return false;
  const bool written = WriteAt(side.get(), 0, head) && WriteToFile(side.get(), tail.data(), tail.size()) &&
                       WriteToFile(side.get(), rest.data(), rest.size()) &&
                       TruncateFile(side.get(), new_size + rest.size()) && FlushFile(side.get());
  side.reset();
  return written && FlushFolderOf(path.c_str());
}

// The file from `from` on becomes `bytes`, and the file `from` + their size
// long; flushed.
bool WriteInPlace(FileHandle file, std::uint64_t from, std::string_view bytes) {
  return WriteAt(file, from, bytes) && TruncateFile(file, from + bytes.size()) && FlushFile(file);
}

// Removes the side copy, or at least empties it so that it is never applied.
bool DiscardSideCopy(const std::string& path) {
  if (RemoveFile(path.c_str()) || !PathExists(path.c_str())) return true;
  UniqueFile side(OpenFile(path.c_str(), FileOpen::WriteCreate));
  return side.valid() && TruncateFile(side.get(), 0);
}

// Renames a refused side copy to a name of its own, never over another file;
// the new name.
std::optional<std::string> SetAside(const std::string& path) {
  const LocalDateTime now = CurrentLocalDateTime();
  char stamp[80];  // room for any int values
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                now.second);
  for (int attempt = 1; attempt <= kRefusedNameTries; ++attempt) {
    std::string name = path;
    name.append(".").append(stamp);
    if (attempt > 1) name.append("-").append(std::to_string(attempt));
    name.append(kRefusedSuffix);
    if (PathExists(name.c_str())) continue;
    if (!ReplaceFile(path.c_str(), name.c_str())) return std::nullopt;
    return name;
  }
  return std::nullopt;
}

// A complete side copy as its trailer describes it.
struct SideCopy {
  std::vector<char> bytes;
  std::size_t new_size = 0;
  std::size_t head = 0;
  std::size_t old_size = 0;
  std::size_t shared_end = 0;
  std::uint32_t old_crc = 0;

  std::string_view NewContents() const { return {bytes.data(), new_size}; }

  // The old contents rebuilt, or nothing when they do not match their CRC.
  std::optional<std::string> OldContents() const {
    const std::string_view fresh = NewContents();
    std::string old(fresh.substr(0, head));
    old.append(bytes.data() + new_size, old_size - head - shared_end);
    old.append(fresh.substr(new_size - shared_end));
    if (Crc32(0, old) != old_crc) return std::nullopt;
    return old;
  }
};

// Refused: complete, but made by no rewrite that could still be finished (the
// earlier format, or lengths that do not describe the bytes).
enum class Found { Missing, Incomplete, Refused, Complete, Unreadable };

// The tag and the CRC-32 over all bytes before it are right.
bool HasTrailer(const std::vector<char>& bytes) {
  if (bytes.size() < kTrailerSize) return false;
  const char* trailer = bytes.data() + bytes.size() - kTrailerSize;
  return std::string_view(trailer, kTag.size()) == kTag &&
         GetLittleEndian(trailer + 44, 4) == Crc32(0, std::string_view(bytes.data(), bytes.size() - 4));
}

bool HasEarlierTrailer(const std::vector<char>& bytes) {
  if (bytes.size() < kEarlierTrailerSize) return false;
  const std::size_t size = bytes.size() - kEarlierTrailerSize;
  const char* trailer = bytes.data() + size;
  return std::string_view(trailer, kEarlierTag.size()) == kEarlierTag && GetLittleEndian(trailer + 8, 8) == size &&
         GetLittleEndian(trailer + 16, 4) == Crc32(0, std::string_view(bytes.data(), size));
}

Found ReadSideCopy(const std::string& path, SideCopy& copy) {
  if (!PathExists(path.c_str())) return Found::Missing;
  UniqueFile side(OpenFile(path.c_str(), FileOpen::ReadExisting));
  if (!side.valid()) return Found::Unreadable;
  std::vector<char>& bytes = copy.bytes;
  if (ReadWholeFile(side.get(), bytes) != ReadResult::Ok) return Found::Unreadable;
  if (!HasTrailer(bytes)) return HasEarlierTrailer(bytes) ? Found::Refused : Found::Incomplete;
  const char* trailer = bytes.data() + bytes.size() - kTrailerSize;
  const std::uint64_t body = bytes.size() - kTrailerSize;
  const std::uint64_t new_size = GetLittleEndian(trailer + 8, 8);
  const std::uint64_t head = GetLittleEndian(trailer + 16, 8);
  const std::uint64_t old_size = GetLittleEndian(trailer + 24, 8);
  const std::uint64_t shared_end = GetLittleEndian(trailer + 32, 8);
  if (new_size > body || head > new_size || shared_end > new_size - head || head > old_size ||
      shared_end > old_size - head || body - new_size != old_size - head - shared_end) {
    return Found::Refused;
  }
  copy.new_size = static_cast<std::size_t>(new_size);
  copy.head = static_cast<std::size_t>(head);
  copy.old_size = static_cast<std::size_t>(old_size);
  copy.shared_end = static_cast<std::size_t>(shared_end);
  copy.old_crc = static_cast<std::uint32_t>(GetLittleEndian(trailer + 40, 4));
  return Found::Complete;
}

// True when the file could hold `current` at any point of the rewrite the
// side copy was made for (see the header).
bool BelongsTo(const SideCopy& copy, std::string_view current) {
  const std::optional<std::string> old = copy.OldContents();
  if (!old) return false;
  const std::string_view fresh = copy.NewContents();
  if (current.size() < std::min(old->size(), fresh.size()) || current.size() > std::max(old->size(), fresh.size())) {
    return false;
  }
  for (std::size_t i = 0; i < current.size(); ++i) {
    const char c = current[i];
    const bool left = i < old->size() ? c == (*old)[i] : c == '\0';
    if (!left && !(i < fresh.size() && c == fresh[i])) return false;
  }
  return true;
}

enum class Verdict { Missing, Incomplete, Belongs, Foreign, Unreadable };

// What to do with the side copy at `path`; `read_current` gives the file's
// contents, and is called only when there is a complete side copy.
template <typename ReadCurrent>
Verdict Judge(const std::string& path, SideCopy& copy, ReadCurrent read_current) {
  switch (ReadSideCopy(path, copy)) {
    case Found::Missing: return Verdict::Missing;
    case Found::Incomplete: return Verdict::Incomplete;
    case Found::Unreadable: return Verdict::Unreadable;
    case Found::Refused: return Verdict::Foreign;
    case Found::Complete: break;
  }
  const std::optional<std::string_view> current = read_current();
  if (!current) return Verdict::Unreadable;
  return BelongsTo(copy, *current) ? Verdict::Belongs : Verdict::Foreign;
}

// A reader of the whole file into `bytes`, for Judge.
auto WholeFileReader(FileHandle file, std::vector<char>& bytes) {
  return [file, &bytes]() -> std::optional<std::string_view> {
    if (ReadWholeFile(file, bytes) != ReadResult::Ok) return std::nullopt;
    return std::string_view(bytes.data(), bytes.size());
  };
}

// A side copy with anything in it is waiting for the next open (or could not
// be checked); an empty one is a discarded leftover.
bool SideCopyWaiting(const std::string& path) {
  if (!PathExists(path.c_str())) return false;
  UniqueFile side(OpenFile(path.c_str(), FileOpen::ReadExisting));
  std::uint64_t size = 0;
  return !side.valid() || !FileSize(side.get(), size) || size > 0;
}

}  // namespace

Rewrite RewriteFile(FileHandle file, std::string_view old_contents, std::size_t from, std::string_view tail) {
  if (from > old_contents.size()) return Rewrite::Failed;
  const std::optional<std::string> side = SideCopyPath(file);
  if (!side || SideCopyWaiting(*side)) return Rewrite::Failed;

  if (!WriteSideCopy(*side, old_contents, from, tail)) {
    DiscardSideCopy(*side);
    return Rewrite::Failed;
  }
  if (WriteInPlace(file, from, tail)) {
    DiscardSideCopy(*side);  // should it stay, the next open writes the same bytes again
    return Rewrite::Done;
  }
  if (WriteInPlace(file, from, old_contents.substr(from)) && DiscardSideCopy(*side)) return Rewrite::Failed;
  return Rewrite::Pending;
}

Recovery FinishPendingRewrite(FileHandle file) {
  const std::optional<std::string> side = SideCopyPath(file);
  if (!side) return Recovery::Failed;
  SideCopy copy;
  std::vector<char> current;
  switch (Judge(*side, copy, WholeFileReader(file, current))) {
    case Verdict::Missing: return Recovery::NothingPending;
    case Verdict::Incomplete: DiscardSideCopy(*side); return Recovery::NothingPending;
    case Verdict::Unreadable: return Recovery::Failed;
    case Verdict::Foreign: return SetAside(*side) ? Recovery::SetAside : Recovery::Failed;
    case Verdict::Belongs: break;
  }
  // The file already holds the shared head.
  if (!WriteInPlace(file, copy.head, copy.NewContents().substr(copy.head))) return Recovery::Failed;
  DiscardSideCopy(*side);
  return Recovery::Finished;
}

std::optional<std::vector<char>> PendingContents(FileHandle file, std::string_view contents) {
  const std::optional<std::string> side = SideCopyPath(file);
  SideCopy copy;
  if (!side || Judge(*side, copy, [&] { return std::optional<std::string_view>(contents); }) != Verdict::Belongs) {
    return std::nullopt;
  }
  copy.bytes.resize(copy.new_size);
  return std::move(copy.bytes);
}

std::optional<std::string> SetAsideForeignSideCopy(const char* path) {
  const std::string side = std::string(path) + std::string(kSideCopySuffix);
  UniqueFile file(OpenFile(path, FileOpen::ReadExisting));
  if (!file.valid()) return std::nullopt;
  SideCopy copy;
  std::vector<char> current;
  if (Judge(side, copy, WholeFileReader(file.get(), current)) != Verdict::Foreign) return std::nullopt;
  file.reset();
  return SetAside(side);
}

}  // namespace platform
