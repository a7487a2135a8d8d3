// The names a CipherSpec may use and the algorithms they stand for.
#pragma once

#include <optional>
#include <string_view>

#include "cardlib/cipher/cipher_impls.h"

namespace corvex {

inline constexpr std::size_t kCipherNameMax = 39;  // characters

enum class CipherPadding { None };

// Each lookup folds A-Z to a-z; a longer or unknown name gives nothing.
std::optional<CipherAlgorithm> FindCipherName(std::string_view name);  // "des", "des_ede"
std::optional<CipherAlgorithm> FindModeName(std::string_view name);    // "ecb", "cbc"
std::optional<CipherPadding> FindPaddingName(std::string_view name);   // "nopad"

}  // namespace corvex
