// The key holder, CipherSpec and init: loading rules, names,
// and every refusal that these calls can give.
#include <gtest/gtest.h>

#include <string>

#include "tests/cipher/cipher_test_util.h"

namespace {

using cipher_test::Bytes;
using cipher_test::CipherObjects;
using cipher_test::Direction;
using cipher_test::Hex;
using corvex::CipherKeyFormat;
using corvex::CipherResult;

const Bytes kZeroVector(8, 0);
const Bytes kBlock = Hex("4E6F772069732074");

TEST(CipherKey, LoadsOnceWithTheLengthItsFormatNeeds) {
  CipherObjects objects;
  const Bytes eight(8, 0x10);
  EXPECT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesKey8, Bytes(7, 1)), CipherResult::WrongKeyLength);
  EXPECT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesEdeKey24, eight), CipherResult::WrongKeyLength);
  EXPECT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::KeyBytes, eight), CipherResult::UnknownKeyFormat);
  std::span<const std::uint8_t> stored;
  EXPECT_EQ(corvex::CipherKeyGet(stored, objects.key, CipherKeyFormat::KeyBytes), CipherResult::KeyEmpty);

  ASSERT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesKey8, eight), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesKey8, eight), CipherResult::KeyAlreadySet);
  EXPECT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesEdeKey24, Bytes(24, 1)), CipherResult::KeyAlreadySet);
  EXPECT_EQ(corvex::CipherKeyGet(stored, objects.key, CipherKeyFormat::DesEdeKey24), CipherResult::WrongKeyLength);
}

TEST(CipherSpec, UnknownNamesAreRefusedAndLeaveTheContextUnconfigured) {
  const std::string long_des = "des" + std::string(37, ' ');  // 40 characters
  const std::string names[] = {"", "aes", "desx", "ofb", "pad", "stream", "des ", "de", long_des};
  for (const std::string& name : names) {
    SCOPED_TRACE("'" + name + "'");
    for (int field = 0; field < 3; ++field) {
      CipherObjects objects;
      corvex::CipherSpec cipher_spec = cipher_test::DesCbcSpec(kZeroVector);
      if (field == 0) cipher_spec.cipher_name = name;
      if (field == 1) cipher_spec.mode_name = name;
      if (field == 2) cipher_spec.padding_name = name;
      EXPECT_EQ(corvex::CipherContextSetSpec(objects.context, cipher_spec), CipherResult::UnknownName);
      EXPECT_EQ(corvex::CipherEncryptInit(objects.context, objects.key, corvex::DesCbcImpls),
                CipherResult::NotConfigured);
      EXPECT_EQ(corvex::CipherContextSetSpec(objects.context, cipher_test::DesCbcSpec(kZeroVector)), CipherResult::Ok);
    }
  }
}

// Configured once, the caller's vector copied; a context runs only in the
// direction it was initialised for, its round keys being in that order.
TEST(CipherSpec, ConfiguredOnceCopiedAndRunOnlyInTheInitialisedDirection) {
  CipherObjects objects;
  Bytes vector = Hex("1234567890ABCDEF");
  Bytes output(8);
  std::size_t length = 99;
  ASSERT_EQ(corvex::CipherKeySet(objects.key, CipherKeyFormat::DesKey8, Hex("0123456789ABCDEF")), CipherResult::Ok);
  ASSERT_EQ(corvex::CipherContextSetSpec(objects.context, cipher_test::DesCbcSpec(vector)), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherContextSetSpec(objects.context, cipher_test::EdeEcbSpec()), CipherResult::AlreadyConfigured);
  std::fill(vector.begin(), vector.end(), 0);  // the caller reuses its buffer at once
  EXPECT_EQ(corvex::CipherEncryptUpdate(objects.context, output, length, kBlock), CipherResult::NotInitialised);
  EXPECT_EQ(corvex::CipherEncryptFinal(objects.context, output, length), CipherResult::NotInitialised);

  ASSERT_EQ(corvex::CipherEncryptInit(objects.context, objects.key, corvex::DesCbcImpls), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherDecryptUpdate(objects.context, output, length, kBlock), CipherResult::NotInitialised);
  EXPECT_EQ(corvex::CipherDecryptFinal(objects.context, output, length), CipherResult::NotInitialised);
  EXPECT_EQ(length, 0u);
  ASSERT_EQ(corvex::CipherEncryptUpdate(objects.context, output, length, kBlock), CipherResult::Ok);
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(output, Hex("E5C7CDDE872BF27C"));  // FIPS 81 CBC, first block
}

struct InitCase {
  const char* name;
  corvex::CipherSpec cipher_spec;
  CipherKeyFormat format;
  Bytes key;  // empty: the key holder stays empty
  const corvex::CipherImplList* impls;
  CipherResult expected;
};

TEST(CipherInit, RefusesWhatCannotRun) {
  const Bytes des_key(8, 0x23);
  const Bytes ede_key(24, 0x45);
  const Bytes long_vector(16, 0);
  corvex::CipherSpec wide_ecb = cipher_test::EdeEcbSpec();
  wide_ecb.block_size = 16;
  const InitCase cases[] = {
      {"8-byte key for triple DES", cipher_test::EdeEcbSpec(), CipherKeyFormat::DesKey8, des_key, &corvex::EdeEcbImpls,
       CipherResult::WrongKeyLength},
      {"24-byte key for DES", cipher_test::DesCbcSpec(kZeroVector), CipherKeyFormat::DesEdeKey24, ede_key,
       &corvex::DesCbcImpls, CipherResult::WrongKeyLength},
      {"empty key", cipher_test::DesCbcSpec(kZeroVector), CipherKeyFormat::DesKey8, Bytes(), &corvex::DesCbcImpls,
       CipherResult::KeyEmpty},
      {"DES with the triple-DES list", cipher_test::DesCbcSpec(kZeroVector), CipherKeyFormat::DesKey8, des_key,
       &corvex::EdeEcbImpls, CipherResult::NoImplementation},
      {"triple DES with the DES list", cipher_test::EdeEcbSpec(), CipherKeyFormat::DesEdeKey24, ede_key,
       &corvex::DesCbcImpls, CipherResult::NoImplementation},
      {"16-byte vector", cipher_test::DesCbcSpec(long_vector), CipherKeyFormat::DesKey8, des_key, &corvex::DesCbcImpls,
       CipherResult::BlockSizeMismatch},
      {"no vector", cipher_test::DesCbcSpec({}), CipherKeyFormat::DesKey8, des_key, &corvex::DesCbcImpls,
       CipherResult::BlockSizeMismatch},
      {"ECB block size 16", wide_ecb, CipherKeyFormat::DesEdeKey24, ede_key, &corvex::EdeEcbImpls,
       CipherResult::BlockSizeMismatch},
  };
  for (const InitCase& test : cases) {
    SCOPED_TRACE(test.name);
    for (Direction direction : {Direction::Encrypt, Direction::Decrypt}) {
      cipher_test::CipherRun run(direction);
      if (!test.key.empty()) {
        ASSERT_EQ(corvex::CipherKeySet(run.objects.key, test.format, test.key), CipherResult::Ok);
      }
      ASSERT_EQ(corvex::CipherContextSetSpec(run.objects.context, test.cipher_spec), CipherResult::Ok);
      EXPECT_EQ(run.Init(*test.impls), test.expected);
      Bytes output(8);
      std::size_t length = 0;
      EXPECT_EQ(run.Update(output, length, kBlock), CipherResult::NotInitialised);
    }
  }
}

TEST(CipherHandles, NullHandlesAreRefusedAndDestroyClearsTheHandle) {
  CipherObjects objects;
  Bytes output(8);
  std::size_t length = 0;
  std::span<const std::uint8_t> stored;
  EXPECT_EQ(corvex::CipherKeyCreate(nullptr), CipherResult::BadKey);
  EXPECT_EQ(corvex::CipherKeySet(nullptr, CipherKeyFormat::DesKey8, Bytes(8)), CipherResult::BadKey);
  EXPECT_EQ(corvex::CipherKeyGet(stored, nullptr, CipherKeyFormat::KeyBytes), CipherResult::BadKey);
  EXPECT_EQ(corvex::CipherContextCreate(nullptr), CipherResult::BadContext);
  EXPECT_EQ(corvex::CipherContextSetSpec(nullptr, cipher_test::EdeEcbSpec()), CipherResult::BadContext);
  EXPECT_EQ(corvex::CipherEncryptInit(nullptr, objects.key, corvex::EdeEcbImpls), CipherResult::BadContext);
  EXPECT_EQ(corvex::CipherDecryptInit(objects.context, nullptr, corvex::EdeEcbImpls), CipherResult::BadKey);
  EXPECT_EQ(corvex::CipherEncryptInit(objects.context, objects.key, corvex::EdeEcbImpls), CipherResult::NotConfigured);
  EXPECT_EQ(corvex::CipherEncryptUpdate(nullptr, output, length, kBlock), CipherResult::BadContext);
  EXPECT_EQ(corvex::CipherDecryptFinal(nullptr, output, length), CipherResult::BadContext);

  corvex::CipherKey* key = nullptr;
  corvex::CipherContext* context = nullptr;
  ASSERT_EQ(corvex::CipherKeyCreate(&key), CipherResult::Ok);
  ASSERT_EQ(corvex::CipherContextCreate(&context), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherKeyDestroy(&key), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherContextDestroy(&context), CipherResult::Ok);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(corvex::CipherKeyDestroy(&key), CipherResult::Ok);
  EXPECT_EQ(corvex::CipherContextDestroy(&context), CipherResult::Ok);
}

}  // namespace
