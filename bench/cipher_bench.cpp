// Throughput of the block-cipher layer against OpenSSL's libcrypto, measured
// in the same run on the same data: single DES in CBC and two-key triple DES
// in ECB, each direction, over 8, 64 and 1024-byte messages and 1 MiB.
//
// Every message is one whole operation as the card library runs it: create
// and load a key, create and configure a context, init, one update, final,
// destroy both. OpenSSL does the equivalent per message (context new, init
// with key and vector, padding off, update, final, free); its cipher is
// fetched once beforehand, as a careful OpenSSL user would. Both write into
// the same preallocated output buffer.
//
// Each figure is the best of several alternating timed rounds, which keeps
// the comparison fair on a busy machine. Usage: cipher_bench [seconds per round]
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <vector>

#include "cardlib/cipher/cipher.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kRounds = 5;

const std::uint8_t kDesKey[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
const std::uint8_t kEdeKey[24] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x23, 0x45, 0x67, 0x89,
                                  0xAB, 0xCD, 0xEF, 0x01, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
const std::uint8_t kZeroVector[8] = {};

struct Case {
  const char* name;
  bool triple;  // two-key triple DES ECB, else single DES CBC
  bool encrypt;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "cipher_bench: %s\n", what);
  ERR_print_errors_fp(stderr);
  std::exit(1);
}

// One whole operation through the layer; returns the bytes written.
std::size_t OursOnce(const Case& c, std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  using namespace corvex;
  CipherKey* key = nullptr;
  CipherContext* context = nullptr;
  CipherSpec cipher_spec;
  cipher_spec.cipher_name = c.triple ? "des_ede" : "des";
  cipher_spec.mode_name = c.triple ? "ecb" : "cbc";
  cipher_spec.block_size = 8;
  cipher_spec.vector = kZeroVector;
  cipher_spec.padding_name = "nopad";
  const CipherImplList& impls = c.triple ? EdeEcbImpls : DesCbcImpls;
  std::span<const std::uint8_t> stored;
  std::size_t update_length = 0;
  std::size_t final_length = 0;

  bool ok = CipherKeyCreate(&key) == CipherResult::Ok;
  ok = ok && (c.triple ? CipherKeySet(key, CipherKeyFormat::DesEdeKey24, kEdeKey)
                       : CipherKeySet(key, CipherKeyFormat::DesKey8, kDesKey)) == CipherResult::Ok;
  ok = ok && CipherKeyGet(stored, key, CipherKeyFormat::KeyBytes) == CipherResult::Ok;
  ok = ok && CipherContextCreate(&context) == CipherResult::Ok;
  ok = ok && CipherContextSetSpec(context, cipher_spec) == CipherResult::Ok;
  if (c.encrypt) {
    ok = ok && CipherEncryptInit(context, key, impls) == CipherResult::Ok;
    ok = ok && CipherEncryptUpdate(context, output, update_length, input) == CipherResult::Ok;
    ok = ok && CipherEncryptFinal(context, output.subspan(update_length), final_length) == CipherResult::Ok;
  } else {
    ok = ok && CipherDecryptInit(context, key, impls) == CipherResult::Ok;
    ok = ok && CipherDecryptUpdate(context, output, update_length, input) == CipherResult::Ok;
    ok = ok && CipherDecryptFinal(context, output.subspan(update_length), final_length) == CipherResult::Ok;
  }
  CipherKeyDestroy(&key);
  CipherContextDestroy(&context);
  if (!ok) Fail("the layer refused a benchmark operation");
  return update_length + final_length;
}

// The same operation through OpenSSL's EVP interface.
std::size_t OpenSslOnce(const EVP_CIPHER* cipher, const Case& c, std::span<const std::uint8_t> input,
                        std::span<std::uint8_t> output) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  int update_length = 0;
  int final_length = 0;
  const std::uint8_t* key = c.triple ? kEdeKey : kDesKey;
  const std::uint8_t* vector = c.triple ? nullptr : kZeroVector;
  bool ok = context != nullptr && EVP_CipherInit_ex2(context, cipher, key, vector, c.encrypt ? 1 : 0, nullptr) == 1;
  ok = ok && EVP_CIPHER_CTX_set_padding(context, 0) == 1;
  ok =
      ok && EVP_CipherUpdate(context, output.data(), &update_length, input.data(), static_cast<int>(input.size())) == 1;
  ok = ok && EVP_CipherFinal_ex(context, output.data() + update_length, &final_length) == 1;
  EVP_CIPHER_CTX_free(context);
  if (!ok) Fail("OpenSSL refused a benchmark operation");
  return static_cast<std::size_t>(update_length + final_length);
}

// Repeats `once` for about `seconds`; returns megabytes (10^6) of input per second.
double Throughput(const std::function<void()>& once, std::size_t message_size, double seconds) {
  using Clock = std::chrono::steady_clock;
  std::size_t messages = 0;
  std::size_t batch = 1;
  const Clock::time_point start = Clock::now();
  double elapsed = 0;
  while (elapsed < seconds) {
    for (std::size_t i = 0; i < batch; ++i) once();
    messages += batch;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    if (elapsed < seconds / 10) batch *= 2;
  }
  return static_cast<double>(messages * message_size) / elapsed / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.2;
  if (!(seconds > 0)) Fail("the seconds per round must be a positive number");
  // Single DES lives in OpenSSL 3's legacy provider.
  if (OSSL_PROVIDER_load(nullptr, "legacy") == nullptr || OSSL_PROVIDER_load(nullptr, "default") == nullptr) {
    Fail("cannot load OpenSSL's legacy and default providers");
  }
  EVP_CIPHER* des_cbc = EVP_CIPHER_fetch(nullptr, "DES-CBC", nullptr);
  EVP_CIPHER* ede_ecb = EVP_CIPHER_fetch(nullptr, "DES-EDE3-ECB", nullptr);
  if (des_cbc == nullptr || ede_ecb == nullptr) Fail("cannot fetch DES-CBC and DES-EDE3-ECB");

  const Case cases[] = {
      {"DES-CBC encrypt", false, true},
      {"DES-CBC decrypt", false, false},
      {"2TDES-ECB encrypt", true, true},
      {"2TDES-ECB decrypt", true, false},
  };
  const std::size_t sizes[] = {8, 64, 1024, 1 << 20};

  std::printf("%-18s %9s %12s %12s %8s\n", "operation", "message", "ours MB/s", "OpenSSL MB/s", "ratio");
  for (const Case& c : cases) {
    const EVP_CIPHER* cipher = c.triple ? ede_ecb : des_cbc;
    for (std::size_t size : sizes) {
      Bytes input(size);
      for (std::size_t i = 0; i < size; ++i) input[i] = static_cast<std::uint8_t>(i * 131 + 7);
      Bytes ours_output(size + 8);
      Bytes openssl_output(size + 8);
      const std::size_t ours_length = OursOnce(c, input, ours_output);
      const std::size_t openssl_length = OpenSslOnce(cipher, c, input, openssl_output);
      if (ours_length != size || openssl_length != size ||
          !std::equal(ours_output.begin(), ours_output.begin() + static_cast<std::ptrdiff_t>(size),
                      openssl_output.begin())) {
        Fail("the layer and OpenSSL disagree");
      }

      double ours = 0;
      double openssl = 0;
      for (int round = 0; round < kRounds; ++round) {
        ours = std::max(ours, Throughput([&] { OursOnce(c, input, ours_output); }, size, seconds));
        openssl = std::max(openssl, Throughput([&] { OpenSslOnce(cipher, c, input, openssl_output); }, size, seconds));
      }
      char label[32];
      if (size >= (1 << 20)) {
        std::snprintf(label, sizeof label, "%zu MiB", size >> 20);
      } else {
        std::snprintf(label, sizeof label, "%zu B", size);
      }
      std::printf("%-18s %9s %12.2f %12.2f %8.2f\n", c.name, label, ours, openssl, ours / openssl);
      std::fflush(stdout);
    }
  }
  EVP_CIPHER_free(des_cbc);
  EVP_CIPHER_free(ede_ecb);
  return 0;
}
