// Creating, configuring, initialising and destroying a cipher context.
#include "cardlib/cipher/cipher_context.h"

#include <algorithm>
#include <new>

#include "cardlib/cipher/cipher_key.h"
#include "cardlib/cipher/cipher_names.h"
#include "cardlib/cipher/secure_wipe.h"

namespace corvex {

namespace {

bool Matches(const CipherImplEntry& entry, CipherAlgorithm algorithm, CipherDirection direction) {
  return entry.algorithm == algorithm && entry.direction == direction;
}

// The first cipher entry of the algorithm and direction that the key can
// serve. A failed entry moves the walk on; at the end the last failure is
// returned, or NoImplementation when no entry matched at all. (Reading a key
// format allocates nothing here, so no failure ends the walk early.)
CipherResult ChooseCipher(const CipherImplList& impls, CipherAlgorithm algorithm, CipherDirection direction,
                          const CipherKey& key, const BlockCipherImpl*& cipher,
                          std::span<const std::uint8_t>& key_bytes) {
  CipherResult last_failure = CipherResult::NoImplementation;
  for (const CipherImplEntry& entry : impls.entries) {
    if (!Matches(entry, algorithm, direction) || entry.cipher == nullptr) continue;
    std::span<const std::uint8_t> bytes;
    CipherResult result = ReadKeyFormat(key, entry.key_format, bytes);
    if (result == CipherResult::Ok && bytes.size() != entry.cipher->key_length) {
      result = CipherResult::WrongKeyLength;
    }
    if (result == CipherResult::Ok) {
      cipher = entry.cipher;
      key_bytes = bytes;
      return result;
    }
    last_failure = result;
  }
  return last_failure;
}

// The first mode entry of the algorithm and direction (modes need no key).
CipherResult ChooseMode(const CipherImplList& impls, CipherAlgorithm algorithm, CipherDirection direction,
                        const ChainingModeImpl*& mode) {
  for (const CipherImplEntry& entry : impls.entries) {
    if (Matches(entry, algorithm, direction) && entry.mode != nullptr) {
      mode = entry.mode;
      return CipherResult::Ok;
    }
  }
  return CipherResult::NoImplementation;
}

CipherResult Init(CipherContext* context, const CipherKey* key, const CipherImplList& impls,
                  CipherDirection direction) {
  if (context == nullptr) return CipherResult::BadContext;
  if (key == nullptr) return CipherResult::BadKey;
  if (!context->configured) return CipherResult::NotConfigured;
  // A failed init must not leave an earlier run usable with half-new state.
  context->initialised = false;

  CipherRun& run = context->run;
  std::span<const std::uint8_t> key_bytes;
  if (const CipherResult result = ChooseCipher(impls, context->cipher, direction, *key, run.cipher, key_bytes);
      result != CipherResult::Ok) {
    return result;
  }
  if (const CipherResult result = ChooseMode(impls, context->mode, direction, run.mode); result != CipherResult::Ok) {
    return result;
  }
  if (context->mode_block_size != kCipherBlockSize) return CipherResult::BlockSizeMismatch;

  run.cipher->expand_key(key_bytes, direction, run.keys);
  run.direction = direction;
  run.vector = LoadBlock(context->vector.data());
  run.chain = run.vector;
  run.pending.fill(0);
  run.pending_count = 0;
  context->initialised = true;
  return CipherResult::Ok;
}

}  // namespace

CipherResult CipherContextCreate(CipherContext** context) {
  if (context == nullptr) return CipherResult::BadContext;
  *context = new (std::nothrow) CipherContext{};
  return *context != nullptr ? CipherResult::Ok : CipherResult::NoMemory;
}

CipherResult CipherContextSetSpec(CipherContext* context, const CipherSpec& cipher_spec) {
  if (context == nullptr) return CipherResult::BadContext;
  if (context->configured) return CipherResult::AlreadyConfigured;
  const std::optional<CipherAlgorithm> cipher = FindCipherName(cipher_spec.cipher_name);
  const std::optional<CipherAlgorithm> mode = FindModeName(cipher_spec.mode_name);
  const std::optional<CipherPadding> padding = FindPaddingName(cipher_spec.padding_name);
  if (!cipher || !mode || !padding) return CipherResult::UnknownName;

  context->cipher = *cipher;
  context->mode = *mode;
  if (*mode == CipherAlgorithm::Ecb) {
    context->mode_block_size = cipher_spec.block_size;
  } else {
    // Only a one-block vector can be used; any other length is kept as the
    // mode's block size so that init refuses it.
    context->mode_block_size = cipher_spec.vector.size();
    if (cipher_spec.vector.size() == kCipherBlockSize) {
      std::copy(cipher_spec.vector.begin(), cipher_spec.vector.end(), context->vector.begin());
    }
  }
  context->configured = true;
  return CipherResult::Ok;
}

CipherResult CipherContextDestroy(CipherContext** context) {
  if (context == nullptr) return CipherResult::BadContext;
  if (*context == nullptr) return CipherResult::Ok;
  SecureWipeObject(**context);
  delete *context;
  *context = nullptr;
  return CipherResult::Ok;
}

CipherResult CipherEncryptInit(CipherContext* context, const CipherKey* key, const CipherImplList& impls) {
  return Init(context, key, impls, CipherDirection::Encrypt);
}

CipherResult CipherDecryptInit(CipherContext* context, const CipherKey* key, const CipherImplList& impls) {
  return Init(context, key, impls, CipherDirection::Decrypt);
}

}  // namespace corvex
