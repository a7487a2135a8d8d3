// The program's state for the whole run: the language table and the texts
// kept from it, the owner of message boxes, the user-ID list and its table,
// and the user-ID limit. One instance, owned by the program.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/records.h"
#include "platform/locale.h"

namespace pellam {

// A window, as the message helpers and dialogs pass it around; 0 is none.
using WindowRef = std::uintptr_t;
inline constexpr WindowRef kNoWindow = 0;

inline constexpr std::size_t kTextBufferSize = 512;
using TextBuffer = std::array<char, kTextBufferSize>;

inline constexpr std::int32_t kLanguageRows = 200;
inline constexpr std::size_t kLanguageRowSize = 600;
inline constexpr std::int32_t kUserIdRows = 5000;
inline constexpr std::size_t kUserIdRowSize = 512;

inline constexpr std::int32_t kEntryLimitDefault = 1000;
inline constexpr std::int32_t kEntryLimitMax = 5000;

struct AppState {
  std::vector<char> language_rows = std::vector<char>(kLanguageRows * kLanguageRowSize);
  std::int32_t language_row_count = 0;
  std::uint32_t locale_id = 0;
  // Whether the system's locale is Japanese: the program's one rule for it
  // (the fixed start-up messages, the operation buttons' focus rectangle).
  bool JapaneseSystem() const { return (locale_id & 0xFFFF) == platform::kLocaleJapanese; }

  TextBuffer information_caption{};
  TextBuffer question_caption{};
  TextBuffer error_caption{};
  TextBuffer ok_text{};
  TextBuffer cancel_text{};

  WindowRef message_owner = kNoWindow;

  bool list_open = false;
  std::int32_t list_handle = -1;
  std::vector<char> user_id_rows = std::vector<char>(kUserIdRows * kUserIdRowSize);
  std::int32_t user_id_count = 0;
  std::int32_t entry_limit = kEntryLimitDefault;

  SharedRecords records;
  // Set while the administrator-ID dialog holds the reader open between ticks.
  bool admin_reader_open = false;
};

// The language text of `id` ("no string data" when the table lacks it).
std::string LookupText(const AppState& state, std::int32_t id);

// The same into a 512-byte buffer, zero-terminated.
void LoadText(const AppState& state, std::int32_t id, TextBuffer& buffer);

// The text in a buffer up to its first zero byte.
std::string BufferText(const TextBuffer& buffer);

}  // namespace pellam
