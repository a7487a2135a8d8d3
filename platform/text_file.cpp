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

TextReadResult ReadRestAsText(FileHandle file, std::vector<char>& text) {
  text.clear();
  std::uint64_t length = 0;
  if (!FileSize(file, length)) return TextReadResult::SizeFailed;
  if (length > SIZE_MAX / 2) return TextReadResult::NoMemory;
  std::vector<char> raw;
  try {
    raw.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    return TextReadResult::NoMemory;
  }
  std::size_t filled = 0;
  while (filled < raw.size()) {
    std::size_t got = 0;
    if (!ReadFromFile(file, raw.data() + filled, raw.size() - filled, got)) {
      return TextReadResult::ReadFailed;
    }
    if (got == 0) break;
    filled += got;
  }
  raw.resize(ConvertTextInPlace(raw.data(), filled));
  text.swap(raw);
  return TextReadResult::Ok;
}

}  // namespace platform
