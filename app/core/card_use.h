// The registry value "cardtype" (REG_DWORD) under HKEY_LOCAL_MACHINE
// "SOFTWARE\VORAN\VORAN Tollmark": the card use of the last card issued,
// 0 user-ID card, 1 user-code card. It preselects the Issue dialog's card
// use. The key is made by the installer; the program opens it with full
// access and never creates it.
#pragma once

#include <cstdint>

namespace pellam {

inline constexpr const char* kCardUseKey = "SOFTWARE\\VORAN\\VORAN Tollmark";
inline constexpr const char* kCardUseValue = "cardtype";

// The stored card use; 0 when the key or the value cannot be read, or the
// value is 2 or more (its stored type is not checked).
std::uint32_t ReadCardUse();

// Stores the card use; false when the key cannot be opened or the value
// cannot be set.
bool WriteCardUse(std::uint32_t card_use);

}  // namespace pellam
