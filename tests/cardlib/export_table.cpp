#include "tests/cardlib/export_table.h"

#include <string>
#include <tuple>
#include <utility>

#include "cardlib/Corvex.h"

namespace testing_support {

namespace {

// Scratch the calls write into.
char g_text[512];
char g_text2[512];
std::int32_t g_length = 0;
std::int32_t g_length2 = 0;
std::int32_t g_a = 0, g_b = 0, g_c = 0, g_d = 0;
std::uint8_t g_bytes[16];
std::uint8_t g_bytes2[16];
std::int32_t g_table[CORVEX_MAX_LENGTH_ENTRIES];
const std::uint8_t kSystemCodes[4] = {0x81, 0x65, 0xFE, 0x00};
const std::string kLongPath(512, 'x');

// A call with the capacity `capacity` in the scratch length first.
template <typename Call>
std::function<std::int32_t()> WithCapacity(std::int32_t capacity, Call call) {
  return [capacity, call]() {
    g_length = capacity;
    g_length2 = capacity;
    return call();
  };
}

using Calls = std::vector<std::function<std::int32_t()>>;

// `call` with the pointers `args`, the one at `null` made null.
template <typename Call, typename Tuple, std::size_t... I>
std::int32_t CallWithNull(Call call, const Tuple& args, std::size_t null, std::index_sequence<I...>) {
  return call((I == null ? nullptr : std::get<I>(args))...);
}

// Calls of `call` with the pointers `args`, each call with another of them
// null, and an ample capacity in the lengths they point to.
template <typename Call, typename... Args>
Calls NullEach(Call call, Args... args) {
  Calls calls;
  for (std::size_t null = 0; null < sizeof...(Args); ++null) {
    calls.push_back(WithCapacity(
        256, [=] { return CallWithNull(call, std::tuple(args...), null, std::index_sequence_for<Args...>{}); }));
  }
  return calls;
}

// Those calls, and `call` with all its pointers and the capacity `bad`.
template <typename Call, typename... Args>
Calls NullEachOrCapacity(std::int32_t bad, Call call, Args... args) {
  Calls calls = NullEach(call, args...);
  calls.push_back(WithCapacity(bad, [=] { return call(args...); }));
  return calls;
}

// An export taking only pointers: each made null in turn is refused, all of
// them given is the valid call.
template <typename Call, typename... Args>
ExportCase Pointers(const std::string& name, WhenOpen when_open, Call call, Args... args) {
  return {name, NullEach(call, args...), {}, [=] { return call(args...); }, when_open};
}

// A read into buffers: each pointer null and the capacity `bad` are refused;
// the valid call has the capacity `capacity`.
template <typename Call, typename... Args>
ExportCase Buffers(const std::string& name, std::int32_t bad, std::int32_t capacity, Call call, Args... args) {
  return {name,
          NullEachOrCapacity(bad, call, args...),
          {},
          WithCapacity(capacity, [=] { return call(args...); }),
          WhenOpen::CardWork};
}

// A text read: null buffer, null length and a negative capacity are refused.
template <typename Read>
ExportCase TextRead(const char* name, Read read) {
  return Buffers(name, -1, 256, read, g_text, &g_length);
}

// A text write with its limit: a negative length, one past the limit and a
// null text with a length are refused; the longest text is valid.
template <typename Write>
ExportCase TextWrite(const char* name, std::int32_t limit, Write write) {
  return {name,
          {[write] { return write(g_text, -1); }, [write, limit] { return write(g_text, limit + 1); },
           [write] { return write(nullptr, 1); }},
          {},
          [write, limit] { return write(g_text, limit); },
          WhenOpen::CardWork};
}

// A date write: each of year, month and day one past its range, and -1.
template <typename Write>
Calls BadDates(Write write) {
  return {[write] { return write(3001, 1, 1); },  [write] { return write(-1, 1, 1); },
          [write] { return write(2024, 13, 1); }, [write] { return write(2024, -1, 1); },
          [write] { return write(2024, 1, 32); }, [write] { return write(2024, 1, -1); }};
}

// A pair of amounts: read (two out-pointers) and write (each 0..99999).
template <typename Read, typename Write>
void AddAmountPair(std::vector<ExportCase>& cases, const std::string& name, Read r, Write w) {
  cases.push_back(Pointers("GenRead" + name, WhenOpen::CardWork, r, &g_a, &g_b));
  cases.push_back(
      {"GenWrite" + name,
       {[w] { return w(100000, 0); }, [w] { return w(0, 100000); }, [w] { return w(-1, 0); }, [w] { return w(0, -1); }},
       {},
       [w] { return w(99999, 99999); },
       WhenOpen::CardWork});
}

// The last charge or payment: date, amount and a text of up to 16 bytes.
template <typename Read, typename Write>
void AddLastCharge(std::vector<ExportCase>& cases, const std::string& name, Read r, Write w) {
  cases.push_back(Buffers("GenRead" + name, -1, 16, r, &g_a, &g_b, &g_c, &g_d, g_text, &g_length));
  Calls invalid = BadDates([w](std::int32_t y, std::int32_t m, std::int32_t d) { return w(y, m, d, 1, g_text, 1); });
  invalid.push_back([w] { return w(2024, 1, 1, 100000, g_text, 1); });
  invalid.push_back([w] { return w(2024, 1, 1, -1, g_text, 1); });
  invalid.push_back([w] { return w(2024, 1, 1, 1, g_text, 17); });
  invalid.push_back([w] { return w(2024, 1, 1, 1, g_text, -1); });
  invalid.push_back([w] { return w(2024, 1, 1, 1, nullptr, 1); });
  cases.push_back({"GenWrite" + name, invalid, {}, [w] { return w(0, 0, 0, 0, nullptr, 0); }, WhenOpen::CardWork});
}

std::vector<ExportCase> MakeCases() {
  std::vector<ExportCase> cases;
  cases.push_back(
      {"GenOpenDevice", {[] { return GenOpenDevice(nullptr, kLongPath.c_str()); }}, {}, {}, WhenOpen::Special});
  cases.push_back({"GenCloseDevice", {}, {}, [] { return GenCloseDevice(); }, WhenOpen::Special});
  cases.push_back(
      {"GenSenseCard",
       {[] { return GenSenseCard(nullptr, kSystemCodes, 1); }, [] { return GenSenseCard(&g_a, nullptr, 1); },
        [] { return GenSenseCard(&g_a, kSystemCodes, 0); }, [] { return GenSenseCard(&g_a, kSystemCodes, 17); },
        [] { return GenSenseCard(&g_a, kSystemCodes, -1); }},
       {},
       [] { return GenSenseCard(&g_a, kSystemCodes, 2); },
       WhenOpen::CardWork});
  cases.push_back(Buffers("GenGetCardInfo", 0, 8, GenGetCardInfo, g_bytes, &g_length, g_bytes2, &g_length2));
  cases.back().too_small = {WithCapacity(7, [] { return GenGetCardInfo(g_bytes, &g_length, g_bytes2, &g_length2); }),
                            [] {
                              g_length = 8;
                              g_length2 = 7;
                              return GenGetCardInfo(g_bytes, &g_length, g_bytes2, &g_length2);
                            }};
  cases.push_back(Pointers("GenGetCardType", WhenOpen::CardWork, GenGetCardType, &g_a));
  cases.push_back({"GenGetLastErrorDetail", {}, {}, {}, WhenOpen::Special});
  cases.push_back(Pointers("GenGetMaxLength", WhenOpen::Succeeds, GenGetMaxLength, g_table));
  cases.push_back(Pointers("GenGetMaxLengthEx", WhenOpen::Succeeds, GenGetMaxLengthEx, g_table, &g_a, &g_b));
  cases.push_back({"GenSetAllKey", {}, {}, [] { return GenSetAllKey(); }, WhenOpen::Succeeds});
  cases.push_back({"GenInitializeCard", {}, {}, [] { return GenInitializeCard(); }, WhenOpen::CardWork});
  cases.push_back(Buffers("GenReadUserAccount", -1, 256, GenReadUserAccount, g_text, &g_length, g_text2, &g_length2));
  cases.push_back({"GenWriteUserAccount",
                   {[] { return GenWriteUserAccount(g_text, 129, g_text2, 0); },
                    [] { return GenWriteUserAccount(g_text, 0, g_text2, 257); },
                    [] { return GenWriteUserAccount(g_text, -1, g_text2, 0); },
                    [] { return GenWriteUserAccount(nullptr, 1, g_text2, 0); },
                    [] { return GenWriteUserAccount(g_text, 0, nullptr, 1); }},
                   {},
                   [] { return GenWriteUserAccount(g_text, 128, g_text2, 256); },
                   WhenOpen::CardWork});
  cases.push_back(TextRead("GenReadUserName", GenReadUserName));
  cases.push_back(TextWrite("GenWriteUserName", 64, GenWriteUserName));
  cases.push_back(Buffers("GenReadPINSettings", 0, 16, GenReadPINSettings, &g_a, &g_b, &g_c, &g_d, g_text, &g_length));
  cases.push_back(TextWrite("GenWritePIN", 16, GenWritePIN));
  cases.push_back({"GenWriteRetryLimit",
                   {[] { return GenWriteRetryLimit(256); }, [] { return GenWriteRetryLimit(-1); }},
                   {},
                   [] { return GenWriteRetryLimit(255); },
                   WhenOpen::CardWork});
  cases.push_back(TextRead("GenReadCommentFromUser", GenReadCommentFromUser));
  cases.push_back(TextWrite("GenWriteCommentToUser", 128, GenWriteCommentToUser));
  cases.push_back(TextRead("GenReadAdminIdFromUser", GenReadAdminIdFromUser));
  cases.push_back(TextWrite("GenWriteAdminIdToUser", 128, GenWriteAdminIdToUser));
  cases.push_back(TextRead("GenReadCommentFromAdmin", GenReadCommentFromAdmin));
  cases.push_back(TextWrite("GenWriteCommentToAdmin", 128, GenWriteCommentToAdmin));
  cases.push_back(TextRead("GenReadAdminIdFromAdmin", GenReadAdminIdFromAdmin));
  cases.push_back(TextWrite("GenWriteAdminIdToAdmin", 128, GenWriteAdminIdToAdmin));
  cases.push_back(Pointers("GenReadIssueInfo", WhenOpen::CardWork, GenReadIssueInfo, &g_a, &g_b, &g_c, &g_d));
  {
    Calls invalid =
        BadDates([](std::int32_t y, std::int32_t m, std::int32_t d) { return GenWriteIssueInfo(1, y, m, d); });
    invalid.push_back([] { return GenWriteIssueInfo(65536, 2024, 1, 1); });
    invalid.push_back([] { return GenWriteIssueInfo(-1, 2024, 1, 1); });
    cases.push_back(
        {"GenWriteIssueInfo", invalid, {}, [] { return GenWriteIssueInfo(65535, 3000, 12, 31); }, WhenOpen::CardWork});
  }
  cases.push_back(Buffers("GenReadUserCode", -1, 4, GenReadUserCode, g_bytes, &g_length));
  cases.back().too_small = {WithCapacity(3, [] { return GenReadUserCode(g_bytes, &g_length); })};
  cases.push_back({"GenWriteUserCode",
                   {[] { return GenWriteUserCode(g_bytes, 5); }, [] { return GenWriteUserCode(g_bytes, -1); },
                    [] { return GenWriteUserCode(nullptr, 4); }},
                   {},
                   [] { return GenWriteUserCode(g_bytes, 4); },
                   WhenOpen::CardWork});
  cases.push_back(Pointers("GenReadExpireDate", WhenOpen::CardWork, GenReadExpireDate, &g_a, &g_b, &g_c));
  cases.push_back({"GenWriteExpireDate",
                   BadDates(GenWriteExpireDate),
                   {},
                   [] { return GenWriteExpireDate(0, 0, 0); },
                   WhenOpen::CardWork});
  cases.push_back(Pointers("GenReadUserConfig", WhenOpen::CardWork, GenReadUserConfig, g_bytes, g_bytes2));
  cases.push_back({"GenWriteUserConfig", {}, {}, [] { return GenWriteUserConfig(-1, 4096); }, WhenOpen::CardWork});
  AddAmountPair(cases, "PreCharge", GenReadPreCharge, GenWritePreCharge);
  AddAmountPair(cases, "UserCharge", GenReadUserCharge, GenWriteUserCharge);
  cases.push_back(Pointers("GenReadChargeUpperLimit", WhenOpen::CardWork, GenReadChargeUpperLimit, &g_a));
  cases.push_back({"GenWriteChargeUpperLimit",
                   {[] { return GenWriteChargeUpperLimit(100000); }, [] { return GenWriteChargeUpperLimit(-1); }},
                   {},
                   [] { return GenWriteChargeUpperLimit(0); },
                   WhenOpen::CardWork});
  AddLastCharge(cases, "LastUserCharge", GenReadLastUserCharge, GenWriteLastUserCharge);
  AddLastCharge(cases, "LastUserPayment", GenReadLastUserPayment, GenWriteLastUserPayment);
  cases.push_back(Pointers("GenReadTransactionStatus", WhenOpen::CardWork, GenReadTransactionStatus, g_bytes));
  cases.push_back(
      {"GenWriteTransactionStatus", {}, {}, [] { return GenWriteTransactionStatus(300); }, WhenOpen::CardWork});
  cases.push_back({"GenVerifyPIN",
                   {[] { return GenVerifyPIN(nullptr, 0); }, [] { return GenVerifyPIN(g_text, -1); }},
                   {},
                   [] { return GenVerifyPIN(g_text, 0); },
                   WhenOpen::CardWork});
  cases.push_back({"GenIncrementRetryCounter", {}, {}, [] { return GenIncrementRetryCounter(); }, WhenOpen::CardWork});
  cases.push_back({"GenResetRetryCounter", {}, {}, [] { return GenResetRetryCounter(); }, WhenOpen::CardWork});
  cases.push_back({"GenChargePreCharge",
                   {[] { return GenChargePreCharge(0, &g_a); }, [] { return GenChargePreCharge(100000, &g_a); },
                    [] { return GenChargePreCharge(1, nullptr); }},
                   {},
                   [] { return GenChargePreCharge(99999, &g_a); },
                   WhenOpen::CardWork});
  cases.push_back({"GenChargeUserCharge",
                   {[] { return GenChargeUserCharge(0, 2024, 1, 1, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(100000, 2024, 1, 1, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 3001, 1, 1, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 0, 1, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 13, 1, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 0, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 32, g_text, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 1, g_text, 0, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 1, g_text, 17, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 1, nullptr, 1, &g_a, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 1, g_text, 1, nullptr, &g_b); },
                    [] { return GenChargeUserCharge(1, 2024, 1, 1, g_text, 1, &g_a, nullptr); }},
                   {},
                   [] { return GenChargeUserCharge(99999, 0, 12, 31, g_text, 16, &g_a, &g_b); },
                   WhenOpen::CardWork});
  return cases;
}

}  // namespace

const std::vector<ExportCase>& ExportCases() {
  static const std::vector<ExportCase> cases = MakeCases();
  return cases;
}

bool AcceptableInOrder(const std::string& name, std::int32_t status) {
  if (status == CORVEX_OK) return true;
  if (name == "GenVerifyPIN") return status == CORVEX_NO_PIN || status == CORVEX_WRONG_PIN;
  if (name.rfind("GenCharge", 0) == 0) return status == CORVEX_CHARGE_LIMIT;
  return false;
}

}  // namespace testing_support
