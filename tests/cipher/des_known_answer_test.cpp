// Published DES answers. Single blocks from the NBS/NIST validation sets, each
// run through single DES in CBC with a zero vector and triple DES in ECB with
// K1 = K2 = K3 (for one block both the same as single DES ECB); multi-block
// examples: DES CBC (FIPS 81), three-key triple DES (SP 800-67), and triple
// DES ECB with two keys (as the card library uses it) and three.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

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

constexpr const char* kOddKeyBits = "0101010101010101";
constexpr const char* kZeroBlock = "0000000000000000";

// Key 01..01; row i has plaintext bit i set, counted from the most significant.
constexpr const char* kVariablePlaintext[] = {
    "95F8A5E5DD31D900", "DD7F121CA5015619", "2E8653104F3834EA", "4BD388FF6CD81D4F", "20B9E767B2FB1456",
    "55579380D77138EF", "6CC5DEFAAF04512F", "0D9F279BA5D87260", "D9031B0271BD5A0A", "424250B37C3DD951",
    "B8061B7ECD9A21E5", "F15D0F286B65BD28", "ADD0CC8D6E5DEBA1", "E6D5F82752AD63D1", "ECBFE3BD3F591A5E",
    "F356834379D165CD", "2B9F982F20037FA9", "889DE068A16F0BE6", "E19E275D846A1298", "329A8ED523D71AEC",
    "E7FCE22557D23C97", "12A9F5817FF2D65D", "A484C3AD38DC9C19", "FBE00A8A1EF8AD72", "750D079407521363",
    "64FEED9C724C2FAF", "F02B263B328E2B60", "9D64555A9A10B852", "D106FF0BED5255D7", "E1652C6B138C64A5",
    "E428581186EC8F46", "AEB5F5EDE22D1A36", "E943D7568AEC0C5C", "DF98C8276F54B04B", "B160E4680F6C696F",
    "FA0752B07D9C4AB8", "CA3A2B036DBC8502", "5E0905517BB59BCF", "814EEB3B91D90726", "4D49DB1532919C9F",
    "25EB5FC3F8CF0621", "AB6A20C0620D1C6F", "79E90DBC98F92CCA", "866ECEDD8072BB0E", "8B54536F2F3E64A8",
    "EA51D3975595B86B", "CAFFC6AC4542DE31", "8DD45A2DDF90796C", "1029D55E880EC2D0", "5D86CB23639DBEA9",
    "1D1CA853AE7C0C5F", "CE332329248F3228", "8405D1ABE24FB942", "E643D78090CA4207", "48221B9937748A23",
    "DD7C0BBD61FAFD54", "2FBC291A570DB5C4", "E07C30D7E4E26E12", "0953E2258E8E90A1", "5B711BC4CEEBF2EE",
    "CC083F1E6D9E85F6", "D2FD8867D50D2DFE", "06E7EA22CE92708F", "166B40B44ABA4BD6",
};

// Plaintext 0; row i sets key bit i of the 56, counted from the most
// significant and skipping the parity bits (kept odd).
constexpr const char* kVariableKey[] = {
    "95A8D72813DAA94D", "0EEC1487DD8C26D5", "7AD16FFB79C45926", "D3746294CA6A6CF3", "809F5F873C1FD761",
    "C02FAFFEC989D1FC", "4615AA1D33E72F10", "2055123350C00858", "DF3B99D6577397C8", "31FE17369B5288C9",
    "DFDD3CC64DAE1642", "178C83CE2B399D94", "50F636324A9B7F80", "A8468EE3BC18F06D", "A2DC9E92FD3CDE92",
    "CAC09F797D031287", "90BA680B22AEB525", "CE7A24F350E280B6", "882BFF0AA01A0B87", "25610288924511C2",
    "C71516C29C75D170", "5199C29A52C9F059", "C22F0A294A71F29F", "EE371483714C02EA", "A81FBD448F9E522F",
    "4F644C92E192DFED", "1AFA9A66A6DF92AE", "B3C1CC715CB879D8", "19D032E64AB0BD8B", "3CFAA7A7DC8720DC",
    "B7265F7F447AC6F3", "9DB73B3C0D163F54", "8181B65BABF4A975", "93C9B64042EAA240", "5570530829705592",
    "8638809E878787A0", "41B9A79AF79AC208", "7A9BE42F2009A892", "29038D56BA6D2745", "5495C6ABF1E5DF51",
    "AE13DBD561488933", "024D1FFA8904E389", "D1399712F99BF02E", "14C1D7C1CFFEC79E", "1DE5279DAE3BED6F",
    "E941A33F85501303", "DA99DBBC9A03F379", "B7FC92F91D8E92E9", "AE8E5CAA3CA04E85", "9CC62DF43B6EED74",
    "D863DBB5C59A91A0", "A1AB2190545B91D7", "0875041E64C570F7", "5A594528BEBEF1CC", "FCDB3291DE21F0C0",
    "869EFD7F9F265A09",
};

// Plaintext 0, keys that exercise every bit of the permutations: key, cipher.
constexpr const char* kPermutation[][2] = {
    {"1046913489980131", "88D55E54F54C97B4"}, {"1007103489988020", "0C0CC00C83EA48FD"},
    {"10071034C8980120", "83BC8EF3A6570183"}, {"1046103489988020", "DF725DCAD94EA2E9"},
    {"1086911519190101", "E652B53B550BE8B0"}, {"1086911519580101", "AF527120C485CBB0"},
    {"5107B01519580101", "0F04CE393DB926D5"}, {"1007B01519190101", "C9F00FFC74079067"},
    {"3107915498080101", "7CFD82A593252B4E"}, {"3107919498080101", "CB49A2F9E91363E3"},
    {"10079115B9080140", "00B588BE70D23F56"}, {"3107911598080140", "406A9A6AB43399AE"},
    {"1007D01589980101", "6CB773611DCA9ADA"}, {"9107911589980101", "67FD21C17DBB5D70"},
    {"9107D01589190101", "9592CB4110430787"}, {"1007D01598980120", "A6B7FF68A318DDD3"},
    {"1007940498190101", "4D102196C914CA16"}, {"0107910491190401", "2DFA9F4573594965"},
    {"0107910491190101", "B46604816C0E0774"}, {"0107940491190401", "6E7E6221A4F34E87"},
    {"19079210981A0101", "AA85E74643233199"}, {"1007911998190801", "2E5A19DB4D1962D6"},
    {"10079119981A0801", "23A866A809D30894"}, {"1007921098190101", "D812D961F017D320"},
    {"100791159819010B", "055605816E58608F"}, {"1004801598190101", "ABD88E8B1B7716F1"},
    {"1004801598190102", "537AC95BE69DA1E1"}, {"1004801598190108", "AED0F6AE3C25CDD8"},
    {"1002911498100104", "B3E35A5EE53E7B8D"}, {"1002911598190104", "61C79C71921A2EF8"},
    {"1002911598100201", "E2F5728F0995013C"}, {"1002911698100101", "1AEAC39A61F0A464"},
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

// One block of 16 hex digits with a single bit set, the others `rest`.
std::string OneBit(std::size_t byte, std::uint8_t value, std::uint8_t rest) {
  std::string hex;
  for (std::size_t i = 0; i < 8; ++i) {
    const std::uint8_t b = i == byte ? value : rest;
    hex += "0123456789ABCDEF"[b >> 4];
    hex += "0123456789ABCDEF"[b & 15];
  }
  return hex;
}

// Variable plaintext and key (one bit set), permutation keys, S-box entries.
TEST(DesKnownAnswer, ValidationSets) {
  std::vector<DesVector> rows(std::begin(kSubstitution), std::end(kSubstitution));
  for (std::size_t i = 0; i < std::size(kVariablePlaintext); ++i) {
    rows.push_back({kOddKeyBits, OneBit(i / 8, static_cast<std::uint8_t>(0x80 >> (i % 8)), 0), kVariablePlaintext[i]});
  }
  for (std::size_t i = 0; i < std::size(kVariableKey); ++i) {
    rows.push_back({OneBit(i / 7, static_cast<std::uint8_t>(0x80 >> (i % 7)), 1), kZeroBlock, kVariableKey[i]});
  }
  for (const auto& row : kPermutation) rows.push_back({row[0], kZeroBlock, row[1]});

  const Bytes zero_vector(8, 0);
  for (const DesVector& row : rows) {
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
