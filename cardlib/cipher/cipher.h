// The block-cipher layer of the card library: DES and triple DES (EDE) in ECB
// and CBC mode without padding.
//
// One operation, as the card library runs it:
//
//   CipherKeyCreate -> CipherKeySet -> CipherKeyGet (KeyBytes)
//   CipherContextCreate -> CipherContextSetSpec
//   CipherEncryptInit (or Decrypt) with EdeEcbImpls or DesCbcImpls
//   CipherEncryptUpdate (whole input) -> CipherEncryptFinal
//   CipherKeyDestroy, CipherContextDestroy (on every path)
//
// Every operation returns a CipherResult; a failed call leaves the objects in
// place for the caller to destroy. Destroying wipes every byte that held key
// material or cipher state before the memory is freed.
//
// Handles: a null handle is refused at run time (BadContext, BadKey); a key
// can never be passed as a context or the other way round, because the two
// are distinct types. Update and final take no second context, and init,
// update and final no pass-through value: the card library uses neither.
// There is no global state: the name tables and the implementation lists are
// constant, and each call works only on the objects it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace corvex {

enum class CipherResult : std::uint32_t {
  Ok = 0,
  AlreadyConfigured = 0x200,  // CipherContextSetSpec on a configured context
  NotInitialised = 0x202,     // update or final before an init of that direction
  NotConfigured = 0x203,      // init before CipherContextSetSpec succeeded
  BadContext = 0x204,         // null context handle
  UnknownKeyFormat = 0x205,   // a key format the call does not know
  NoMemory = 0x206,           // an object could not be allocated
  BlockSizeMismatch = 0x20C,  // mode block size (ECB parameter, CBC vector length) is not 8
  PartialBlock = 0x20D,       // final while 1-7 input bytes are pending
  KeyAlreadySet = 0x20E,      // the key holder is already loaded
  KeyEmpty = 0x211,           // key material read from an empty key holder
  BadKey = 0x212,             // null key handle
  UnknownName = 0x217,        // unknown cipher, mode or padding name
  OutputTooSmall = 0x218,     // output capacity below the whole blocks due
  WrongKeyLength = 0x21E,     // key material not 8 or 24 bytes as needed
  NoImplementation = 0x221,   // the list offers no entry for the algorithm and direction
};

enum class CipherKeyFormat {
  DesKey8,      // 8 bytes; loading sets each byte's low bit to odd parity
  DesEdeKey24,  // 24 bytes K1 K2 K3, stored unchanged
  KeyBytes,     // read only: a view of the stored bytes
};

struct CipherKey;       // key holder: empty, then loaded once
struct CipherContext;   // configured once, then initialised per run
struct CipherImplList;  // constant, ordered list of implementations

// Triple DES and ECB, both directions; the triple-DES entries need DesEdeKey24.
extern const CipherImplList EdeEcbImpls;
// Single DES and CBC, both directions; the DES entries need an 8-byte key.
extern const CipherImplList DesCbcImpls;

// What a context runs. Names are matched with A-Z folded to a-z and are at
// most 39 characters: cipher "des" or "des_ede", mode "ecb" or "cbc",
// padding "nopad". The mode parameter read depends on the mode; the layer
// copies what it needs, so the caller's buffers may be reused at once.
struct CipherSpec {
  std::string_view cipher_name;
  std::string_view mode_name;
  std::uint32_t block_size = 0;          // "ecb": block size in bytes (8)
  std::span<const std::uint8_t> vector;  // "cbc": initialisation vector (8 bytes)
  std::string_view padding_name;
};

// A new, empty key holder in *key.
CipherResult CipherKeyCreate(CipherKey** key);
// Loads `bytes` (8 for DesKey8, 24 for DesEdeKey24) into an empty key holder.
CipherResult CipherKeySet(CipherKey* key, CipherKeyFormat format, std::span<const std::uint8_t> bytes);
// Sets `bytes` to a view of the stored key owned by the key holder: KeyBytes
// gives what was loaded (after the parity adjustment), DesKey8 and
// DesEdeKey24 give the same bytes when their length is 8 or 24.
CipherResult CipherKeyGet(std::span<const std::uint8_t>& bytes, const CipherKey* key, CipherKeyFormat format);
// Wipes and frees the key holder and sets *key to null; null *key is accepted.
CipherResult CipherKeyDestroy(CipherKey** key);

// A new, unconfigured context in *context.
CipherResult CipherContextCreate(CipherContext** context);
// Looks the names up and copies the mode parameter; once per context.
CipherResult CipherContextSetSpec(CipherContext* context, const CipherSpec& cipher_spec);
// Wipes and frees the context and sets *context to null; null *context is accepted.
CipherResult CipherContextDestroy(CipherContext** context);

// Chooses the cipher and mode from `impls`, expands the key, and starts a
// fresh run in one direction (any earlier run of the context is dropped).
CipherResult CipherEncryptInit(CipherContext* context, const CipherKey* key, const CipherImplList& impls);
CipherResult CipherDecryptInit(CipherContext* context, const CipherKey* key, const CipherImplList& impls);

// Processes `input`: writes the largest multiple of 8 bytes not above the
// pending bytes plus the input to `output` and keeps the 0-7 bytes left over
// for the next call. `output_length` is set to the bytes written (0 on any
// failure); an output smaller than the blocks due consumes nothing.
// `output` must not overlap `input`.
CipherResult CipherEncryptUpdate(CipherContext* context, std::span<std::uint8_t> output, std::size_t& output_length,
                                 std::span<const std::uint8_t> input);
CipherResult CipherDecryptUpdate(CipherContext* context, std::span<std::uint8_t> output, std::size_t& output_length,
                                 std::span<const std::uint8_t> input);

// Ends the run: refuses pending bytes (no padding is added), writes nothing
// (output_length 0) and resets the chaining value to the vector, so that a
// further update starts as if freshly initialised.
CipherResult CipherEncryptFinal(CipherContext* context, std::span<std::uint8_t> output, std::size_t& output_length);
CipherResult CipherDecryptFinal(CipherContext* context, std::span<std::uint8_t> output, std::size_t& output_length);

}  // namespace corvex
