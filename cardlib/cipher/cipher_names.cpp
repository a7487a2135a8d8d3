#include "cardlib/cipher/cipher_names.h"

#include <algorithm>

namespace corvex {

namespace {

template <typename Value>
struct NamedValue {
  std::string_view name;  // lower case
  Value value;
};

constexpr NamedValue<CipherAlgorithm> kCipherNames[] = {
    {"des", CipherAlgorithm::Des},
    {"des_ede", CipherAlgorithm::DesEde},
};

constexpr NamedValue<CipherAlgorithm> kModeNames[] = {
    {"ecb", CipherAlgorithm::Ecb},
    {"cbc", CipherAlgorithm::Cbc},
};

constexpr NamedValue<CipherPadding> kPaddingNames[] = {
    {"nopad", CipherPadding::None},
};

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameFolded(std::string_view given, std::string_view lower) {
  return std::equal(given.begin(), given.end(), lower.begin(), lower.end(),
                    [](char a, char b) { return FoldCase(a) == b; });
}

template <typename Value, std::size_t kCount>
std::optional<Value> Find(const NamedValue<Value> (&table)[kCount], std::string_view name) {
  if (name.size() > kCipherNameMax) return std::nullopt;
  for (const NamedValue<Value>& row : table) {
    if (SameFolded(name, row.name)) return row.value;
  }
  return std::nullopt;
}

}  // namespace

std::optional<CipherAlgorithm> FindCipherName(std::string_view name) { return Find(kCipherNames, name); }
std::optional<CipherAlgorithm> FindModeName(std::string_view name) { return Find(kModeNames, name); }
std::optional<CipherPadding> FindPaddingName(std::string_view name) { return Find(kPaddingNames, name); }

}  // namespace corvex
