// The language string table: rows of 600 bytes, one language-file line each,
// and the lookup of a text by its numeric identifier.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lingrel {

inline constexpr std::size_t kRowSize = 600;              // bytes per row
inline constexpr std::size_t kRowTextMax = kRowSize - 1;  // line bytes kept per row
inline constexpr std::int32_t kTableRows = 200;           // rows in the program's table
inline constexpr std::size_t kTextMax = 256;              // characters taken before decoding
inline constexpr std::string_view kNoStringData = "no string data";

enum class TableFill {
  Ok,
  TooManyRows  // more than kTableRows complete lines; nothing was written
};

// Copies the language file's text into rows: each line's bytes (at most
// kRowTextMax, the rest dropped) followed by its LF. The row count is the
// number of LF bytes. A last line without an LF is stored after the counted
// rows when there is room for it, but never counted.
TableFill FillStringTable(std::string_view text, char* rows, std::int32_t& row_count);

// Writes the decoded text for `id` (or kNoStringData) with a terminating zero
// into `out`, which holds at least kTextMax + 1 bytes; returns its length.
std::size_t LookupText(const char* rows, std::int32_t row_count, std::int32_t id, char* out);

// Reads an identifier field like the C library's atol: leading white space,
// an optional sign, then digits up to the first non-digit; no digits give 0.
// Values beyond the 32-bit range saturate.
std::int32_t ParseIdentifier(std::string_view field);

}  // namespace lingrel
