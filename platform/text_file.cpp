#include "platform/text_file.h"

#include <new>

namespace platform {

std::size_t ConvertTextInPlace(char* data, std::size_t size) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\x1A') break;
    if (c == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
    data[kept++] = c;
  }
  return kept;
}

ReadResult ReadRest(FileHandle file, std::vector<char>& bytes) {
  bytes.clear();
  std::uint64_t length = 0;
  if (!FileSize(file, length)) return ReadResult::SizeFailed;
  if (length > SIZE_MAX / 2) return ReadResult::NoMemory;
  std::vector<char> raw;
  try {
    raw.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    return ReadResult::NoMemory;
  }
  std::size_t filled = 0;
  while (filled < raw.size()) {
    std::size_t got = 0;
    if (!ReadFromFile(file, raw.data() + filled, raw.size() - filled, got)) return ReadResult::ReadFailed;
    if (got == 0) break;
    filled += got;
  }
  raw.resize(filled);
  bytes.swap(raw);
  return ReadResult::Ok;
}

ReadResult ReadWholeFile(FileHandle file, std::vector<char>& bytes) {
  bytes.clear();
  if (!SeekFile(file, 0)) return ReadResult::SizeFailed;
  return ReadRest(file, bytes);
}

ReadResult ReadRestAsText(FileHandle file, std::vector<char>& text) {
  const ReadResult result = ReadRest(file, text);
  if (result == ReadResult::Ok) text.resize(ConvertTextInPlace(text.data(), text.size()));
  return result;
}

}  // namespace platform
