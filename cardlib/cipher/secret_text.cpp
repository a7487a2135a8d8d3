#include "cardlib/cipher/secret_text.h"

#include <cstring>
#include <utility>

#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

constexpr std::size_t kSmallestStorage = 32;  // a PIN or a short password grows no further

}  // namespace

SecretText::SecretText(SecretText&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.size_ = 0;
  other.capacity_ = 0;
}

SecretText& SecretText::operator=(const SecretText& other) {
  if (this != &other) Assign(other.View());
  return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
  if (this == &other) return *this;
  Release();
  data_ = other.data_;
  size_ = other.size_;
  capacity_ = other.capacity_;
  other.data_ = nullptr;
  other.size_ = 0;
  other.capacity_ = 0;
  return *this;
}

void SecretText::Assign(std::string_view text) {
  if (text.size() > capacity_) {
    // Fresh storage: the text may lie in the old one, which goes afterwards.
    SecretText fresh;
    fresh.Allocate(text.size());
    std::memcpy(fresh.data_, text.data(), text.size());
    fresh.size_ = text.size();
    *this = std::move(fresh);
    return;
  }
  if (!text.empty()) std::memmove(data_, text.data(), text.size());
  if (size_ > text.size()) SecureWipe(data_ + text.size(), size_ - text.size());
  size_ = text.size();
}

void SecretText::Append(std::string_view text) {
  if (text.empty()) return;
  if (size_ + text.size() > capacity_) {
    SecretText grown;
    grown.Allocate(capacity_ * 2 > size_ + text.size() ? capacity_ * 2 : size_ + text.size());
    if (size_ > 0) std::memcpy(grown.data_, data_, size_);
    std::memcpy(grown.data_ + size_, text.data(), text.size());
    grown.size_ = size_ + text.size();
    *this = std::move(grown);
    return;
  }
  std::memcpy(data_ + size_, text.data(), text.size());
  size_ += text.size();
}

void SecretText::Allocate(std::size_t capacity) {
  capacity_ = capacity > kSmallestStorage ? capacity : kSmallestStorage;
  data_ = new char[capacity_];
}

void SecretText::Release() noexcept {
  if (data_ != nullptr) {
    SecureWipe(data_, capacity_);
    delete[] data_;
  }
  data_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

}  // namespace corvex
