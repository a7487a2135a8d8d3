// The layer's own allocations: a destroyed key holder or context leaves no key
// material or cipher state in the freed memory, nor a SecretText its text,
// and a failed allocation is reported. The program replaces the global allocation functions and copies
// the watched block just before it is freed, so an optimised-away wipe shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "cardlib/cipher/secret_text.h"
#include "tests/cipher/cipher_test_util.h"

namespace {

constexpr std::size_t kHeader = 16;  // keeps the default new alignment
constexpr std::size_t kCopyMax = 4096;

struct Watch {
  bool failing = false;            // the next allocation fails
  bool recording = false;          // the next allocation is the watched one
  unsigned char* block = nullptr;  // the watched block
  std::size_t size = 0;
  bool freed = false;
  unsigned char at_free[kCopyMax];  // its bytes when it was freed
};
Watch watch;

void* Allocate(std::size_t size) {
  if (watch.failing) {
    watch.failing = false;
    return nullptr;
  }
  auto* base = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (base == nullptr) return nullptr;
  std::memcpy(base, &size, sizeof size);
  unsigned char* block = base + kHeader;
  if (watch.recording) {
    watch.recording = false;
    watch.block = block;
    watch.size = size;
  }
  return block;
}

void Release(void* pointer) {
  if (pointer == nullptr) return;
  auto* block = static_cast<unsigned char*>(pointer);
  if (block == watch.block && watch.size <= kCopyMax) {
    std::memcpy(watch.at_free, block, watch.size);
    watch.freed = true;
    watch.block = nullptr;
  }
  std::free(block - kHeader);
}

void* AllocateOrThrow(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* pointer) noexcept { Release(pointer); }
void operator delete[](void* pointer) noexcept { Release(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { Release(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { Release(pointer); }

namespace {

using cipher_test::Bytes;
using cipher_test::Hex;
using corvex::CipherKeyFormat;
using corvex::CipherResult;

const Bytes kEdeKey = Hex("0123456789ABCDEF 23456789ABCDEF01 0123456789ABCDEF");

bool Contains(const unsigned char* block, std::size_t size, const Bytes& pattern) {
  return std::search(block, block + size, pattern.begin(), pattern.end()) != block + size;
}

std::size_t NonZeroBytes(const unsigned char* block, std::size_t size) {
  return static_cast<std::size_t>(std::count_if(block, block + size, [](unsigned char b) { return b != 0; }));
}

class CipherAllocation : public testing::Test {
 protected:
  void SetUp() override { watch = Watch{}; }
  void TearDown() override { watch = Watch{}; }
};

TEST_F(CipherAllocation, DestroyedKeyHolderAndContextAreZeroWhenFreed) {
  corvex::CipherKey* key = nullptr;
  watch.recording = true;
  ASSERT_EQ(corvex::CipherKeyCreate(&key), CipherResult::Ok);
  ASSERT_EQ(static_cast<void*>(watch.block), static_cast<void*>(key));
  ASSERT_EQ(corvex::CipherKeySet(key, CipherKeyFormat::DesEdeKey24, kEdeKey), CipherResult::Ok);
  ASSERT_TRUE(Contains(watch.block, watch.size, kEdeKey));

  corvex::CipherContext* context = nullptr;
  const Watch key_watch = watch;
  watch.recording = true;
  ASSERT_EQ(corvex::CipherContextCreate(&context), CipherResult::Ok);
  ASSERT_EQ(static_cast<void*>(watch.block), static_cast<void*>(context));
  // Round keys, and five plaintext bytes left pending in the context.
  ASSERT_EQ(corvex::CipherContextSetSpec(context, cipher_test::EdeEcbSpec()), CipherResult::Ok);
  ASSERT_EQ(corvex::CipherEncryptInit(context, key, corvex::EdeEcbImpls), CipherResult::Ok);
  const Bytes secret = Hex("5E C2 E7 5A 9D");
  Bytes output(8);
  std::size_t length = 0;
  ASSERT_EQ(corvex::CipherEncryptUpdate(context, output, length, secret), CipherResult::Ok);
  ASSERT_TRUE(Contains(watch.block, watch.size, secret));
  ASSERT_GT(NonZeroBytes(watch.block, watch.size), 200u);

  ASSERT_EQ(corvex::CipherContextDestroy(&context), CipherResult::Ok);
  ASSERT_TRUE(watch.freed);
  EXPECT_EQ(NonZeroBytes(watch.at_free, watch.size), 0u);

  watch = key_watch;
  ASSERT_EQ(corvex::CipherKeyDestroy(&key), CipherResult::Ok);
  ASSERT_TRUE(watch.freed);
  EXPECT_EQ(NonZeroBytes(watch.at_free, watch.size), 0u);
}

// Each way a text gives up its storage: outgrown, replaced by a move,
// cleared, destroyed. A shorter text wipes the rest of the old one at once.
TEST_F(CipherAllocation, SecretTextStorageIsZeroWhenFreed) {
  const std::string longer(100, 'y');  // made before a watch: they allocate too
  const auto watch_next = [] {
    watch = Watch{};
    watch.recording = true;
  };
  const auto expect_wiped = [](const char* how) {
    EXPECT_TRUE(watch.freed) << how;
    EXPECT_EQ(NonZeroBytes(watch.at_free, watch.size), 0u) << how;
  };
  watch_next();
  corvex::SecretText text("secret 1");
  text.Assign("se");
  EXPECT_EQ(text.View(), "se");
  EXPECT_EQ(NonZeroBytes(watch.block + 2, 6), 0u) << "shortened";
  text.Append(longer);
  expect_wiped("outgrown");

  watch_next();
  text.Append(longer);
  text = corvex::SecretText("z");
  expect_wiped("replaced");

  watch_next();
  text.Assign(longer);
  text.Clear();
  expect_wiped("cleared");
  EXPECT_TRUE(text.empty());

  watch_next();
  { const corvex::SecretText scoped(longer); }
  expect_wiped("destroyed");
}

TEST_F(CipherAllocation, FailedAllocationIsReportedAndLeavesNoHandle) {
  corvex::CipherKey* key = nullptr;
  corvex::CipherContext* context = nullptr;
  watch.failing = true;
  EXPECT_EQ(corvex::CipherKeyCreate(&key), CipherResult::NoMemory);
  EXPECT_EQ(key, nullptr);
  watch.failing = true;
  EXPECT_EQ(corvex::CipherContextCreate(&context), CipherResult::NoMemory);
  EXPECT_EQ(context, nullptr);
}

}  // namespace
