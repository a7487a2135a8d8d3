#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

// Stores through a pointer to volatile are observable behaviour, so none of
// them may be removed, not even right before the memory is freed.
void SecureWipe(void* data, std::size_t size) {
  volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = 0;
}

}  // namespace corvex
