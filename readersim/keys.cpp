// Development keys. Replace these values to simulate a site's own keys; the
// card library must be built with the same values.
#include "readersim/keys.h"

namespace readersim {

namespace {

constexpr Block8 Repeat(std::uint8_t byte) { return {byte, byte, byte, byte, byte, byte, byte, byte}; }

const KeyConfig kDevelopmentKeys{
    // Session keys S1, S2, S3.
    {{
        {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF},
        {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10},
        {0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67},
    }},
    // Provisioning keys P1, P2, P3.
    {{Repeat(0x11), Repeat(0x22), Repeat(0x33)}},
    // Card keys by slot: slot k is the byte C0 + k eight times.
    {{Repeat(0xC0), Repeat(0xC1), Repeat(0xC2), Repeat(0xC3), Repeat(0xC4), Repeat(0xC5), Repeat(0xC6), Repeat(0xC7),
      Repeat(0xC8), Repeat(0xC9), Repeat(0xCA)}},
};

}  // namespace

const KeyConfig& DefaultKeys() { return kDevelopmentKeys; }

}  // namespace readersim
