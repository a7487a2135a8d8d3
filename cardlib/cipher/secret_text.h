// A password or PIN as text, in storage of its own that is wiped before it
// is given up: when the text is destroyed, reassigned, cleared or outgrows
// its storage. It never turns into a std::string by itself; View() lends
// the bytes for as long as the text is not changed.
#pragma once

#include <cstddef>
#include <string_view>

namespace corvex {

class SecretText {
 public:
  SecretText() = default;
  explicit SecretText(std::string_view text) { Assign(text); }
  SecretText(const SecretText& other) : SecretText(other.View()) {}
  // The storage moves along; `other` is left empty.
  SecretText(SecretText&& other) noexcept;
  SecretText& operator=(const SecretText& other);
  SecretText& operator=(SecretText&& other) noexcept;
  ~SecretText() { Release(); }

  void Assign(std::string_view text);
  void Append(std::string_view text);
  void Append(char byte) { Append(std::string_view(&byte, 1)); }
  // Wipes and frees the storage.
  void Clear() noexcept { Release(); }

  std::string_view View() const { return {data_, size_}; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  friend bool operator==(const SecretText& a, const SecretText& b) { return a.View() == b.View(); }

 private:
  // Storage for at least `capacity` bytes, for a text that has none.
  void Allocate(std::size_t capacity);
  void Release() noexcept;

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace corvex
