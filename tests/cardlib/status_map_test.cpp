#include "cardlib/status_map.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using corvex::Detail;
using corvex::LinkPhase;
using corvex::MapDetail;
using corvex::TagPhase;

// Every failure detail the mapping names, and samples of the families and of
// the rest (the success values are below), by the status they map to.
struct Row {
  std::int32_t status;
  std::vector<Detail> details;
};

const Row kRows[] = {
    {0x10000, {0x2000001, 0x4000001, 0x8000001, 0x10010000}},
    {0x20000, {0x2000002, 0x4000002, 0x8000002, 0x10020000}},
    {0x1, {0x2000003}},
    {0x2, {0x10000002}},
    {0x3, {0x10000003}},
    {0x5, {0x80400EF, 0x10000005}},
    {0x6, {0x10000006}},
    {0x7, {0x10000007}},
    {0x100, {0x2000011, 0x10000100}},
    {0x200, {0x2000012, 0x10000200}},
    {0x300, {0x2000014}},
    {0x500, {0x2000013, 0x8000004}},
    {0x900, {0x2000015, 0x2000016, 0x2000017, 0x2000018, 0x2000019}},
    {0xA00, {0x2000100, 0x2000200, 0x2000300, 0x2000400, 0x2000500, 0x2000600}},
    {0xB00, {0x80400ED}},
    {0xC00, {0x80400FD, 0x80400FF}},
    {0x1000000, {0x2000700, 0x2001200, 0x2001300, 0x8000005, 0x80400EB, 0x80400FB}},
    {0x60000, {0x10080000}},
    // Out of memory and any other exception inside an export.
    {0x7F000000, {0x10000008, 0x10000009}},
    // Status words and failure flags: refused while opening, while closing,
    // and otherwise (card status flags, polling or authentication results,
    // bits 16..19 = 2 with bits 16..23 neither 0x11 nor 0x21).
    {0x500, {0x2116A82, 0x4110000, 0x8111234}},
    {0x600, {0x2216A82, 0x8210001}},
    {0x50000, {0x2016A82, 0x8010102, 0x80201A1, 0x4020000, 0x2120000, 0x2310000}},
    // Everything else: bits 16..19 = 3, layer 0x01, another response code, a
    // reader status or authentication failure while opening or closing, not
    // implemented.
    {0x7F000000,
     {0x2030000, 0x1010000, 0x10010001, 0x8040012, 0x2100100, 0x2101200, 0x2201200, 0x100000FF, 0x7F000000,
      0xFFFFFFFF}},
};

TEST(StatusMap, EveryDetailMapsToItsStatus) {
  for (const Row& row : kRows) {
    for (const Detail detail : row.details) {
      Detail last = 0xABCD;
      EXPECT_EQ(MapDetail(detail, last), row.status) << std::hex << detail;
    }
  }
}

TEST(StatusMap, FailuresAreRecordedAndSuccessValuesNever) {
  Detail last = 0x2000013;
  for (const Detail success : {0u, 0x2000000u, 0x4000000u, 0x8000000u, 0x8040000u, 0x10000000u}) {
    EXPECT_EQ(MapDetail(success, last), 0);
    EXPECT_EQ(last, 0x2000013u) << std::hex << success;
  }
  MapDetail(0x2216A82, last);
  EXPECT_EQ(last, 0x2216A82u);
  MapDetail(0x10000100, last);
  EXPECT_EQ(last, 0x10000100u);
}

TEST(StatusMap, PhaseBitIsAddedExceptToPortAndLinkDetails) {
  struct Tagged {
    Detail detail;
    Detail opening;
    Detail closing;
  };
  const Tagged cases[] = {
      {0x2000000, 0x2000000, 0x2000000}, {0x2000001, 0x2000001, 0x2000001}, {0x2000002, 0x2000002, 0x2000002},
      {0x2000003, 0x2000003, 0x2000003}, {0x2000011, 0x2000011, 0x2000011}, {0x2000013, 0x2000013, 0x2000013},
      {0x2000016, 0x2000016, 0x2000016}, {0x2000019, 0x2000019, 0x2000019}, {0x2000700, 0x2000700, 0x2000700},
      {0x2001300, 0x2001300, 0x2001300}, {0x2016A82, 0x2116A82, 0x2216A82}, {0x2001200, 0x2101200, 0x2201200},
      {0x2000100, 0x2100100, 0x2200100}, {0x2000004, 0x2100004, 0x2200004}, {0x2000010, 0x2100010, 0x2200010},
      {0x4000001, 0x4100001, 0x4200001},
  };
  for (const Tagged& c : cases) {
    EXPECT_EQ(TagPhase(c.detail, LinkPhase::Opening), c.opening) << std::hex << c.detail;
    EXPECT_EQ(TagPhase(c.detail, LinkPhase::Closing), c.closing) << std::hex << c.detail;
  }
}

}  // namespace
