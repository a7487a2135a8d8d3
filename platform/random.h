// Random bytes from the operating system's cryptographic generator.
#pragma once

#include <cstddef>

namespace platform {

// Fills `size` bytes at `data` with cryptographically strong random bytes.
// False when the generator could not deliver them all (the bytes are then
// unspecified and must not be used).
bool FillRandom(void* data, std::size_t size);

}  // namespace platform
