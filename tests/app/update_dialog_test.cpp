// The update dialog on the pre-read card: what it shows, the order of its
// checks, and what each outcome writes, tells and logs.
#include <gtest/gtest.h>

#include "app/core/card_preread.h"
#include "app/core/update_dialog.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::OperationBench;
using pellam::UpdateDialog;
using Strings = std::vector<std::string>;

TEST(UpdateDialog, WritesTellsAndLogs) {
  const Strings user_writes{"write-user-account", "write-user-name", "write-comment", "write-user-code"};
  const Strings code_writes{"write-user-name", "write-comment", "write-user-code"};
  const std::string option = "alice,ADMIN01,update user option";
  const std::string data = "alice,ADMIN01,update user data";
  const std::string longest(128, 'p');
  // Every check in order, from texts each one longer than allowed; the
  // user-code card checks no password.
  const std::string too_long(129, 'c');
  const std::map<int, std::string> wrong{
      {2015, too_long}, {2016, "x"}, {2023, std::string(65, 'n')}, {2024, too_long}, {2051, "1x"}};
  // An empty user code stands for 0: refused on a user-ID card, not on a user-code card.
  const std::vector<app_test::Refusal> checks{
      {"T9705/Error", {{2023, "N"}}},        {"T9710/Error", {{2024, "C"}}}, {"T9911/Error", {{2051, "0"}}},
      {"T9811/Error", {{2051, "99999999"}}}, {"T9711/Error", {{2051, ""}}},
  };
  std::vector<app_test::Refusal> user_checks{{"T9701/Error", {{2015, "new"}}}, {"T7005/Error", {{2016, "new"}}}};
  user_checks.insert(user_checks.end(), checks.begin(), checks.end());
  std::vector<app_test::Refusal> code_checks = checks;
  code_checks.push_back({"T9812/Error", {{2051, "7"}}});
  // clang-format off
  const app_test::OutcomeRow rows[] = {
      {"password kept", false, {{2023, "Al"}}, "", user_writes, {"T4001/Info"}, option, 1},
      {"the longest password, name and comment", false,
       {{2015, longest}, {2016, longest}, {2023, std::string(64, 'n')}, {2024, longest}}, "", user_writes,
       {"T4001/Info"}, data, 1},
      {"password and code emptied", false, {{2015, ""}, {2016, ""}, {2051, ""}}, "", user_writes, {"T4001/Info"}, data,
       1},
      {"checked in order", false, wrong, "", user_writes, {"T4001/Info"}, data, 1, {}, user_checks},
      {"user-code card, checked in order", true, wrong, "", code_writes, {"T4001/Info"},
       "7,ADMIN01,update user data (L)", 1, {}, code_checks},
      {"name write fails", false, {}, "write-user-name", {"write-user-account", "write-user-name"}, {"T9015/Error"},
       "", 2},
      {"user code write fails", false, {}, "write-user-code", user_writes, {"T9015/Question"}, "", 2},
  };
  // clang-format on
  // The read card shown, less what a user-code card lacks.
  const auto opened = [](OperationBench& bench, UpdateDialog&, const app_test::OutcomeRow& row) {
    auto& view = bench.view;
    EXPECT_EQ(view.face_backgrounds, std::set<int>{2059});
    EXPECT_EQ(view.limits, (std::map<int, int>{{2015, 128}, {2016, 128}, {2023, 64}, {2024, 128}, {2051, 8}}));
    EXPECT_EQ(view.texts[2058], "3");
    EXPECT_EQ(view.texts[2057], "2005/4/1");
    EXPECT_EQ(view.texts[2051], "12345");
    EXPECT_EQ(view.texts[2024], "hi");
    EXPECT_EQ(view.texts[2023], row.code_card ? "Coder" : "Alice");
    EXPECT_EQ(view.texts[2059], row.code_card ? "" : "alice");
    EXPECT_EQ(view.texts[2015], row.code_card ? "" : "secret");
    EXPECT_EQ(view.texts[2016], view.texts[2015]);
    const std::map<int, bool> disabled{{1006, false}, {2059, false}, {1007, false},
                                       {2015, false}, {1008, false}, {2016, false}};
    EXPECT_EQ(view.enabled, row.code_card ? disabled : (std::map<int, bool>{}));
  };
  app_test::RunOutcomes<UpdateDialog>(
      pellam::RunUpdateOperation, rows, opened, [](OperationBench& bench, const app_test::OutcomeRow& row) {
        EXPECT_FALSE(bench.view.window_enabled);
        if (row.result != pellam::kDialogOk) return;
        auto& texts = bench.view.texts;
        auto& card = bench.card;
        EXPECT_EQ(card.user_name, texts[2023]);
        EXPECT_EQ(card.comment, texts[2024]);
        const std::uint32_t code = texts[2051].empty() ? 0 : std::stoul(texts[2051]);
        EXPECT_EQ(card.user_code, (std::array<std::uint8_t, 4>{0, 0, std::uint8_t(code >> 8), std::uint8_t(code)}));
        EXPECT_EQ(card.password, row.code_card ? "" : texts[2015]);
        EXPECT_EQ(card.user_id, row.code_card ? "" : "alice");
        EXPECT_EQ(bench.state.records.current_card_kind, pellam::CardKind::NoCard) << "records cleared";
      });
}

}  // namespace
