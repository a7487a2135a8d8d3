// Reading a whole file, raw or "as text", the same way on every system.
//
// Text mode means: each CR that is directly followed by LF is dropped (a lone
// CR stays), and a byte 0x1A ends the data. The conversion is done here in
// portable code rather than by a C runtime, so that Linux and Windows builds
// read the same bytes from the same file.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace platform {

enum class ReadResult {
  Ok,
  SizeFailed,  // the file's length could not be taken
  NoMemory,    // no buffer of the file's length could be allocated
  ReadFailed,  // a read failed
};

// Reads the file from its current position to its end without conversion
// (the buffer is sized from the file's length, then read). `bytes` holds what
// was read on Ok and is left empty otherwise.
ReadResult ReadRest(FileHandle file, std::vector<char>& bytes);

// The same from the file's first byte. The file position is left at its end.
ReadResult ReadWholeFile(FileHandle file, std::vector<char>& bytes);

// ReadRest, then the text-mode conversion.
ReadResult ReadRestAsText(FileHandle file, std::vector<char>& text);

// The text-mode conversion alone, applied to raw bytes: returns the number of
// bytes kept in `data`, which is converted in place.
std::size_t ConvertTextInPlace(char* data, std::size_t size);

}  // namespace platform
