// Published DES answers. Single blocks from the NBS/NIST validation set of
// keys and plaintexts that reach every S-box entry (table faults elsewhere,
// in the key schedule or permutation P, change these answers as well), each
// run through single DES in CBC with a zero vector and triple DES in ECB with
// K1 = K2 = K3 (for one block both the same as single DES ECB); multi-block
// examples: DES CBC (FIPS 81), triple DES ECB with two keys (as the card
// library uses it) and three.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tests/cipher/cipher_test_util.h"

namespace {

using cipher_test::Bytes;
using cipher_test::Direction;
using cipher_test::Hex;
using cipher_test::Outcome;
using corvex::CipherResult;

struct DesVector {
  std::string key;
  std::string plain;
  const char* cipher;
};

// Keys and plaintexts that reach every S-box entry, and the textbook example.
const DesVector kSubstitution[] = {
    {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
    {"07A1133E4A0B2686", "0248D43806F67172", "868EBB51CAB4599A"},
    {"3849674C2602319E", "51454B582DDF440A", "7178876E01F19B2A"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "AF37FB421F8C4095"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "86A560F10EC6D85B"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "0CD3DA020021DC09"},
    {"43297FAD38E373FE", "762514B829BF486A", "EA676B2CB7DB2B7A"},
    {"07A7137045DA2A16", "3BDD119049372802", "DFD64A815CAF1A0F"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "5C513C9C4886C088"},
    {"37D06BB516CB7546", "164D5E404F275232", "0A2AEEAE3FF4AB77"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "EF1BF03E5DFA575A"},
    {"584023641ABA6176", "004BD6EF09176062", "88BF0DB6D70DEE56"},
    {"025816164629B007", "480D39006EE762F2", "A1F9915541020B56"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "6FBF1CAFCFFD0556"},
    {"4FB05E1515AB73A7", "072D43A077075292", "2F22E49BAB7CA1AC"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "5A6B612CC26CCE4A"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "5F4C038ED12B2E41"},
    {"1C587F1C13924FEF", "305532286D6F295A", "63FAC0D034D9F793"},
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
};

TEST(DesKnownAnswer, ValidationSet) {
  const Bytes zero_vector(8, 0);
  for (const DesVector& row : kSubstitution) {
    SCOPED_TRACE(testing::Message() << "key " << row.key << " plain " << row.plain);
    const Bytes plain = Hex(row.plain);
    const Bytes cipher = Hex(row.cipher);
    for (const Bytes& key : {Hex(row.key), Hex(row.key + row.key + row.key)}) {
      EXPECT_EQ(cipher_test::RunOnce(key, zero_vector, Direction::Encrypt, plain), (Outcome{CipherResult::Ok, cipher}));
      EXPECT_EQ(cipher_test::RunOnce(key, zero_vector, Direction::Decrypt, cipher), (Outcome{CipherResult::Ok, plain}));
    }
  }
}

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
