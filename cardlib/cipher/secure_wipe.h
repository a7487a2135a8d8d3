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

}  // namespace corvex
