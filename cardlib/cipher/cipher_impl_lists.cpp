// The two implementation lists the card library passes at init.
#include "cardlib/cipher/cipher_impls.h"

namespace corvex {

namespace {

using enum CipherAlgorithm;
using enum CipherDirection;

// Mode entries need no key; their key_format is never read.
constexpr CipherImplEntry kEdeEcbEntries[] = {
    {Ecb, Encrypt, CipherKeyFormat::KeyBytes, nullptr, &kEcbMode},
    {Ecb, Decrypt, CipherKeyFormat::KeyBytes, nullptr, &kEcbMode},
    {DesEde, Encrypt, CipherKeyFormat::DesEdeKey24, &kDesEdeCipher, nullptr},
    {DesEde, Decrypt, CipherKeyFormat::DesEdeKey24, &kDesEdeCipher, nullptr},
};

constexpr CipherImplEntry kDesCbcEntries[] = {
    {Cbc, Encrypt, CipherKeyFormat::KeyBytes, nullptr, &kCbcEncryptMode},
    {Cbc, Decrypt, CipherKeyFormat::KeyBytes, nullptr, &kCbcDecryptMode},
    {Des, Encrypt, CipherKeyFormat::DesKey8, &kDesCipher, nullptr},
    {Des, Decrypt, CipherKeyFormat::DesKey8, &kDesCipher, nullptr},
};

}  // namespace

constinit const CipherImplList EdeEcbImpls = {kEdeEcbEntries};
constinit const CipherImplList DesCbcImpls = {kDesCbcEntries};

}  // namespace corvex
