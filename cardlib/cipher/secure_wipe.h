// Overwriting key material and cipher state with zeros before its memory is
// freed or goes out of use, in a way the optimiser may not drop.
#pragma once

#include <cstddef>

namespace corvex {

void SecureWipe(void* data, std::size_t size);

// Wipes the whole object representation of `object`.
template <typename T>
void SecureWipeObject(T& object) {
  SecureWipe(&object, sizeof object);
}

// Wipes a buffer when its scope ends, whatever way the scope is left.
class ScopedWipe {
 public:
  ScopedWipe(void* data, std::size_t size) : data_(data), size_(size) {}
  ~ScopedWipe() { SecureWipe(data_, size_); }
  ScopedWipe(const ScopedWipe&) = delete;
  ScopedWipe& operator=(const ScopedWipe&) = delete;

 private:
  void* data_;
  std::size_t size_;
};

}  // namespace corvex
