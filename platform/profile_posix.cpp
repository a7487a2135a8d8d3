#include <fstream>
#include <iterator>
#include <new>

#include "platform/path.h"
#include "platform/profile.h"

namespace platform {

std::string ReadProfileString(const char* path, const char* section, const char* key, const char* fallback,
                              std::size_t capacity) {
  std::string value = fallback;
  try {
    std::ifstream in(NativePath(path), std::ios::binary);
    if (in) {
      const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      if (std::optional<std::string> found = ProfileLookup(text, section, key)) value = *found;
    }
  } catch (const std::bad_alloc&) {
  }
  if (capacity == 0) return {};
  if (value.size() > capacity - 1) value.resize(capacity - 1);
  return value;
}

}  // namespace platform
