// The PIN change dialog on the pre-read card: what it shows with and without
// a PIN, the radio rules, the order of its checks, and each outcome.
#include <gtest/gtest.h>

#include "app/core/card_preread.h"
#include "app/core/pin_change_dialog.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::OperationBench;
using pellam::PinChangeDialog;
using Strings = std::vector<std::string>;

const std::map<int, bool> kDetailsEnabled(bool enabled) {
  std::map<int, bool> details;
  for (const int control : {2021, 2018, 2017, 2022, 1014, 1013, 1012, 1001, 1028}) details[control] = enabled;
  return details;
}

void Click(OperationBench& bench, PinChangeDialog& dialog, int radio) {
  bench.view.checks[1010] = radio == 1010;
  bench.view.checks[1011] = radio == 1011;
  dialog.OnCommand(bench.view, radio, pellam::kNotifyClicked);
}

// Three cards read one after another by the same program: a short PIN, the
// longest PIN (nothing of the first card's PIN left in the way), no PIN.
TEST(PinChangeDialog, ShowsEachCardsPinSettingsAndFollowsTheRadios) {
  OperationBench bench;
  for (const std::string pin : {"1234", "87654321", ""}) {
    SCOPED_TRACE(pin);
    const bool with_pin = !pin.empty();
    bench.PlaceUserCard();
    bench.card.pin = pin;
    bench.surface.answers = {false};  // a card that cannot be read is given up
    bench.main = app_test::FakeView(app_test::kMainWindow);
    bench.view = app_test::FakeView(app_test::kDialogWindow);
    PinChangeDialog dialog(bench.context);
    bench.Open(pellam::RunPinChangeOperation, dialog);
    EXPECT_TRUE(bench.Shown().empty());
    auto& view = bench.view;
    EXPECT_EQ(view.ranges[2021], std::make_pair(0, 99));
    EXPECT_EQ(view.limits, (std::map<int, int>{{2017, 8}, {2018, 8}, {2022, 2}}));
    EXPECT_TRUE(view.checks[with_pin ? 1010 : 1011]);
    EXPECT_EQ(view.texts[2022], with_pin ? "5" : "");
    EXPECT_EQ(view.texts[2017], pin);
    EXPECT_EQ(view.texts[2018], pin);
    EXPECT_EQ(view.enabled, with_pin ? (std::map<int, bool>{}) : kDetailsEnabled(false));

    Click(bench, dialog, 1010);
    EXPECT_EQ(view.enabled, kDetailsEnabled(true));
    EXPECT_EQ(view.texts[2022], with_pin ? "5" : "3") << "an empty count becomes 3";
    Click(bench, dialog, 1011);
    EXPECT_EQ(view.enabled, kDetailsEnabled(false));
    EXPECT_EQ(view.texts[2022], with_pin ? "5" : "3") << "switching off keeps the texts";
    dialog.OnDestroy(view);
  }
}

struct PinCase : app_test::OutcomeRow {
  bool pin_off;
  std::string pin_after;
  int limit_after;
};

TEST(PinChangeDialog, WritesTellsAndLogs) {
  const Strings work{"write-retry-limit", "write-pin", "read-user-account"};
  const std::string logged = "alice,ADMIN01,change PIN property";
  const std::map<int, std::string> new_pin{{2022, "9"}, {2017, "55555555"}, {2018, "55555555"}};  // the longest
  // clang-format off
  const PinCase cases[] = {
      {{"settings kept", false, {}, "", work, {"T4002/Info"}, logged, 1}, false, "1234", 5},
      {{"new PIN", false, new_pin, "", work, {"T4002/Info"}, logged, 1}, false, "55555555", 9},
      {{"PIN check off, fields not read", false, {{2017, "x"}, {2022, "x"}}, "", work, {"T4002/Info"}, logged, 1},
       true, "", 0},
      {{"user ID unreadable", false, {}, "read-user-account", work, {"T4002/Info"}, ",ADMIN01,change PIN property",
        1}, false, "1234", 5},
      {{"retry limit write fails", false, new_pin, "write-retry-limit", {"write-retry-limit"}, {"T9015/Error"}, "", 2},
       false, "1234", 5},
      {{"PIN write fails", false, new_pin, "write-pin", {"write-retry-limit", "write-pin"}, {"T9015/Error"}, "", 2},
       false, "1234", 9},
      // The PIN checks themselves are the Issue dialog's; here, that each
      // field is read whole from its own control, and count 0 asks.
      {{"checked in order", false, {{2017, "123456789"}, {2018, ""}, {2022, "x"}}, "", work,
        {"T7016/Question", "T4002/Info"}, logged, 1, {false},
        {{"T9703/Error", {{2017, "4321"}}}, {"T7015/Error", {{2018, "4321"}}}, {"T9909/Error", {{2022, "0"}}},
         {"T7016/Question", {}}}}, false, "4321", 0},
  };
  // clang-format on
  app_test::RunOutcomes<PinChangeDialog>(
      pellam::RunPinChangeOperation, cases,
      [](OperationBench& bench, PinChangeDialog& dialog, const PinCase& c) {
        if (c.pin_off) Click(bench, dialog, 1011);
      },
      [](OperationBench& bench, const PinCase& c) {
        EXPECT_EQ(bench.card.pin, c.pin_after);
        EXPECT_EQ(bench.card.retry_limit, c.limit_after);
      });
}

}  // namespace
