#include "platform/file_rewrite.h"

#include "platform/text_file.h"

#include <array>
#include <cstdint>
#include <new>
#include <string>

namespace platform {

namespace {

constexpr std::string_view kTag{"PENDING\x1A", 8};
constexpr std::size_t kTrailerSize = 20;  // tag, byte count (8), CRC-32 (4)

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

// Step 1: the new contents (`head` then `tail`) and their trailer, durable.
bool WriteSideCopy(const std::string& path, std::string_view head, std::string_view tail) {
  std::array<char, kTrailerSize> trailer{};
  kTag.copy(trailer.data(), kTag.size());
  const std::uint64_t size = head.size() + tail.size();
  PutLittleEndian(trailer.data() + 8, size, 8);
  PutLittleEndian(trailer.data() + 16, Crc32(Crc32(0, head), tail), 4);

  UniqueFile side(OpenFile(path.c_str(), FileOpen::ReadWriteCreate));
  if (!side.valid()) return false;
  const bool written = WriteAt(side.get(), 0, head) && WriteToFile(side.get(), tail.data(), tail.size()) &&
                       WriteToFile(side.get(), trailer.data(), trailer.size()) &&
                       TruncateFile(side.get(), size + kTrailerSize) && FlushFile(side.get());
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

enum class SideCopy { Missing, Incomplete, Complete, Unreadable };

SideCopy ReadSideCopy(const std::string& path, std::vector<char>& contents) {
  if (!PathExists(path.c_str())) return SideCopy::Missing;
  UniqueFile side(OpenFile(path.c_str(), FileOpen::ReadExisting));
  if (!side.valid()) return SideCopy::Unreadable;
  if (ReadWholeFile(side.get(), contents) != ReadResult::Ok) return SideCopy::Unreadable;
  if (contents.size() < kTrailerSize) return SideCopy::Incomplete;
  const std::size_t size = contents.size() - kTrailerSize;
  const char* trailer = contents.data() + size;
  if (std::string_view(trailer, kTag.size()) != kTag || GetLittleEndian(trailer + 8, 8) != size ||
      GetLittleEndian(trailer + 16, 4) != Crc32(0, std::string_view(contents.data(), size))) {
    return SideCopy::Incomplete;
  }
  contents.resize(size);
  return SideCopy::Complete;
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

  if (!WriteSideCopy(*side, old_contents.substr(0, from), tail)) {
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
  std::vector<char> contents;
  switch (ReadSideCopy(*side, contents)) {
    case SideCopy::Missing: return Recovery::NothingPending;
    case SideCopy::Incomplete: DiscardSideCopy(*side); return Recovery::NothingPending;
    case SideCopy::Unreadable: return Recovery::Failed;
    case SideCopy::Complete: break;
  }
  if (!WriteInPlace(file, 0, std::string_view(contents.data(), contents.size()))) return Recovery::Failed;
  DiscardSideCopy(*side);
  return Recovery::Finished;
}

std::optional<std::vector<char>> PendingContents(FileHandle file) {
  const std::optional<std::string> side = SideCopyPath(file);
  std::vector<char> contents;
  if (!side || ReadSideCopy(*side, contents) != SideCopy::Complete) return std::nullopt;
  return contents;
}

}  // namespace platform
