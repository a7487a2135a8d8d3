#include "cardlib/cipher/secure_wipe.h"

#include <cstring>

namespace corvex {

namespace {

// memset reached through a volatile pointer: the pointer must be read at run
// time, so the compiler cannot tell which function is called and cannot drop
// the call as a store to memory that is about to be freed. (A volatile byte
// loop would be as safe but several times slower on a context's few hundred
// bytes, which every operation wipes.)
void* (*const volatile kFillBytes)(void*, int, std::size_t) = std::memset;

}  // namespace

void SecureWipe(void* data, std::size_t size) { kFillBytes(data, 0, size); }

}  // namespace corvex
