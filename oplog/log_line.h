// One line of the operation log:
//
//   2024,5,3,9,7,abc,xyz,issue new card LF
//
// date and time without seconds, the caller's two texts (neither quoted nor
// escaped), and the name of the operation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/clock.h"

namespace jornet {

inline constexpr std::size_t kLineSize = 400;  // the caller's line buffer

// The name written for an operation code; "no action" for an unknown code.
std::string_view OperationName(std::int32_t operation);

// Writes the line for `when` into `line` (kLineSize bytes) and returns its
// length. A control byte in a text becomes '?', so that a text can never
// end a line early. Texts too long for the buffer are cut: the first text
// keeps as much as fits, the second the rest.
std::size_t MakeLogLine(const platform::LocalDateTime& when, std::string_view first, std::string_view second,
                        std::int32_t operation, char* line);

}  // namespace jornet
