// The system's default locale, as a Windows locale identifier (LCID).
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

inline constexpr std::uint32_t kLocaleEnglishUs = 0x0409;
inline constexpr std::uint32_t kLocaleJapanese = 0x0411;

// Windows: GetSystemDefaultLCID(). POSIX: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG, translated by LocaleIdFromName().
std::uint32_t SystemDefaultLocaleId();

// Translates a POSIX locale name ("ja_JP.UTF-8", "de_DE@euro", "C") into the
// matching Windows locale identifier; unknown or empty names give 0x0409.
std::uint32_t LocaleIdFromName(std::string_view name);

}  // namespace platform
