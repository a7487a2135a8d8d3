// Published multi-block examples: DES CBC (FIPS 81), three-key triple DES
// (SP 800-67), and triple DES ECB with two keys (as the card library uses it) and three.
#include <gtest/gtest.h>

#include "tests/cipher/cipher_test_util.h"

namespace {

using cipher_test::Bytes;
using cipher_test::Direction;
using cipher_test::Hex;
using cipher_test::Outcome;
using corvex::CipherResult;

struct ModeExample {
  const char* name;
  const char* key;     // 8 bytes: DES in CBC; 24: triple DES in ECB
  const char* vector;  // CBC only
  const char* plain;
  const char* encrypted;
};

constexpr const char* kFips81Plain =
    "4E6F772069732074 68652074696D6520 666F7220616C6C20";  // "Now is the time for all "
constexpr const char* kSp80038aPlain = "6BC1BEE22E409F96 E93D7E117393172A AE2D8A571E03AC9C 9EB76FAC45AF8E51";
constexpr const char* kTwoKeys = "0123456789ABCDEF 23456789ABCDEF01 0123456789ABCDEF";
constexpr const char* kThreeKeys = "0123456789ABCDEF 23456789ABCDEF01 456789ABCDEF0123";

const ModeExample kExamples[] = {
    {"FIPS 81 CBC", "0123456789ABCDEF", "1234567890ABCDEF", kFips81Plain,
     "E5C7CDDE872BF27C 43E934008C389C0F 683788499A7C05F6"},
    {"SP 800-67 three keys", kThreeKeys, "",
     "54686520717566636B2062726F776E20666F78206A756D70",  // "The qufck brown fox jump"
     "A826FD8CE53B855F CCE21C8112256FE6 68D5C05DD9B6B900"},
    {"TDEA ECB two keys", kTwoKeys, "", kSp80038aPlain,
     "06EDE3D82884090A FF322C19F0518486 730576972A666E58 B6C88CF107340D3D"},
    {"TDEA ECB three keys", kThreeKeys, "", kSp80038aPlain,
     "714772F339841D34 267FCC4BD2949CC3 EE11C22A576A3038 76183F99C0B6DE87"},
};

TEST(ModeExamples, EncryptAndDecryptAsPublished) {
  for (const ModeExample& example : kExamples) {
    SCOPED_TRACE(example.name);
    const Bytes key = Hex(example.key);
    const Bytes vector = Hex(example.vector);
    const Bytes plain = Hex(example.plain);
    const Bytes encrypted = Hex(example.encrypted);
    EXPECT_EQ(cipher_test::RunOnce(key, vector, Direction::Encrypt, plain), (Outcome{CipherResult::Ok, encrypted}));
    EXPECT_EQ(cipher_test::RunOnce(key, vector, Direction::Decrypt, encrypted), (Outcome{CipherResult::Ok, plain}));
  }
}

}  // namespace
