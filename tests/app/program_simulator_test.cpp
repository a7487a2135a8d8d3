// The program's operations through the real card library and the reader
// simulator on a pseudo-terminal, the reader found through the registry
// stand-in as the program finds it: an issue of each card use, and one pass
// of the update, PIN change, PIN unlock and initialise dialogs after their
// pre-reads; the cards read back from the simulator and its violation list
// empty after each test.
#include <gtest/gtest.h>

#include "app/core/card_preread.h"
#include "app/core/initialize_dialog.h"
#include "app/core/issue_dialog.h"
#include "app/core/pin_change_dialog.h"
#include "app/core/update_dialog.h"
#include "cardlib/Corvex.h"
#include "platform/clock.h"
#include "tests/app/operation_bench.h"
#include "tests/support/simulator_process.h"

namespace {

using app_test::FakeView;

class ProgramOnSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.ok()) << "the simulator did not start";
    ASSERT_TRUE(sim_.Do("create boss admin ADMIN01"));
    // The reader's port as the program finds it, and card use 0.
    bench_.folder.Write("machine.reg",
                        "REGEDIT4\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum]\r\n"
                        "\"0\"=\"USB\\\\VID_0000&PID_0000\\\\1\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0000&PID_0000\\1]\r\n"
                        "\"FriendlyName\"=\"DENSO WAVE USB-SER Comm. Port (COM3)\"\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM]\r\n\"" +
                            sim_.link() +
                            "\"=\"COM3\"\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VORAN\\VORAN Tollmark]\r\n\"cardtype\"=dword:00000000\r\n");
    bench_.OpenList("alice,2024,5,17,1\r\n");
  }

  void TearDown() override {
    EXPECT_EQ(GenCloseDevice(), CORVEX_NOT_OPEN) << "every operation closes the reader";
    const nlohmann::json stats = sim_.Stats();
    EXPECT_TRUE(stats["violations"].empty()) << stats["violations"].dump(1);
  }

  // Runs a main-window button's pre-read; its dialog gets `typed` and OK.
  void RunOperation(pellam::DialogLogic& dialog, app_test::PreRead pre_read,
                    const std::map<int, std::string>& typed = {}, const std::map<int, bool>& radios = {}) {
    bench_.view = FakeView(app_test::kDialogWindow);
    bench_.main = FakeView(app_test::kMainWindow);
    bench_.main.child_result = [&](pellam::ChildDialog) {
      dialog.OnInit(bench_.view);
      bench_.Type(typed);
      for (const auto& [control, checked] : radios) bench_.view.checks[control] = checked;
      bench_.PressOk(dialog);
      dialog.OnDestroy(bench_.view);
      return bench_.view.result;
    };
    pre_read(bench_.context, bench_.main);
    ASSERT_EQ(bench_.main.children.size(), 1u) << ::testing::PrintToString(bench_.Shown());
    EXPECT_EQ(bench_.view.result, pellam::kDialogOk) << ::testing::PrintToString(bench_.Shown());
  }

  testing_support::TempDir dir_;
  testing_support::SimulatorProcess sim_{READERSIM_PATH, dir_.path().string()};
  pellam::CorvexCardAccess card_;
  app_test::OperationBench bench_{&card_};
};

// A card of each use issued and read back; then the user-ID card, issued
// last, updated, its PIN changed, unlocked and initialised.
TEST_F(ProgramOnSimulator, IssuesEachCardUseThenUpdatesPinChangesUnlocksAndInitialises) {
  const platform::LocalDateTime today = platform::CurrentLocalDateTime();
  for (const bool code_card : {true, false}) {
    SCOPED_TRACE(code_card ? "user-code card" : "user-ID card");
    const std::string name = code_card ? "code" : "new";
    ASSERT_TRUE(sim_.Do("create " + name + " blank"));
    ASSERT_TRUE(sim_.Do("place " + name));
    bench_.surface.shown.clear();
    pellam::IssueDialog first(bench_.context);
    FakeView first_view(app_test::kDialogWindow);
    first.OnInit(first_view);
    first_view.selections[pellam::IssueDialog::kCardUseList] = code_card ? 1 : 0;
    first_view.texts = {{2014, "carol"}, {2015, "pw1"},   {2016, "pw1"},     {2017, "4321"}, {2018, "4321"},
                        {2022, "3"},     {2023, "Carol"}, {2024, "floor 2"}, {2051, "777"}};
    first.OnCommand(first_view, pellam::IssueDialog::kOkButton, pellam::kNotifyClicked);
    ASSERT_EQ(first_view.children.size(), 1u) << ::testing::PrintToString(bench_.Shown());
    pellam::IssueInfoDialog second(bench_.context);
    FakeView second_view(app_test::kDialogWindow);
    second.OnInit(second_view);
    second.OnCommand(second_view, pellam::kDialogOk, pellam::kNotifyClicked);
    EXPECT_EQ(bench_.Shown(), std::vector<std::string>{"T4000/Info"});

    const nlohmann::json card = sim_.Dump(name);
    EXPECT_EQ(card["admin_id_on_user"], "ADMIN01");
    EXPECT_EQ(card["user_name"], "Carol");
    EXPECT_EQ(card["user_comment"], "floor 2");
    EXPECT_EQ(card["user_code"], "00000309");
    EXPECT_EQ(card["issue_count"], 1);
    EXPECT_EQ(card["issue_date"]["day"], today.day);
    EXPECT_EQ(card["user_id"], code_card ? "" : "carol");
    EXPECT_EQ(card["password"], code_card ? "" : "pw1");
    EXPECT_EQ(card["pin"], code_card ? "" : "4321");
    EXPECT_EQ(card["retry_limit"], code_card ? "00" : "03");
  }

  {
    pellam::UpdateDialog update(bench_.context);
    RunOperation(update, pellam::RunUpdateOperation,
                 {{2015, "new"}, {2016, "new"}, {2023, "Carol A."}, {2024, "moved"}, {2051, "42"}});
    const nlohmann::json card = sim_.Dump("new");
    EXPECT_EQ(card["password"], "new");
    EXPECT_EQ(card["user_name"], "Carol A.");
    EXPECT_EQ(card["user_code"], "0000002A");
  }
  {
    pellam::PinChangeDialog change(bench_.context);
    RunOperation(change, pellam::RunPinChangeOperation, {{2017, "2468"}, {2018, "2468"}, {2022, "2"}},
                 {{1010, true}, {1011, false}});
    EXPECT_EQ(bench_.LastLog(), "carol,ADMIN01,change PIN property") << "the user ID read back after the writes";
    const nlohmann::json card = sim_.Dump("new");
    EXPECT_EQ(card["pin"], "2468");
    EXPECT_EQ(card["retry_limit"], "02");
    // A wrong PIN counts against the card until it is unlocked.
    ASSERT_EQ(GenOpenDevice(nullptr, sim_.link().c_str()), CORVEX_OK);
    std::int32_t present = 0;
    ASSERT_EQ(GenSenseCard(&present, pellam::kSystemCode, 1), CORVEX_OK);
    EXPECT_EQ(GenVerifyPIN("1111", 4), CORVEX_WRONG_PIN);
    ASSERT_EQ(GenCloseDevice(), CORVEX_OK);
    EXPECT_NE(sim_.Dump("new")["retry_count"], "00");
  }
  {
    pellam::ConfirmDialog unlock(bench_.context);
    RunOperation(unlock, pellam::RunPinUnlockOperation);
    EXPECT_EQ(bench_.LastLog(), "carol,ADMIN01,unlocked PIN");
    EXPECT_EQ(sim_.Dump("new")["retry_count"], "00") << "unlocked";
  }
  {
    pellam::InitializeDialog initialise(bench_.context);
    RunOperation(initialise, pellam::RunInitialiseOperation, {}, {{1026, true}, {1027, false}});  // delete the ID
    const nlohmann::json card = sim_.Dump("new");
    EXPECT_EQ(card["user_id"], "");
    EXPECT_EQ(card["admin_id_on_user"], "");
    EXPECT_EQ(bench_.ClosedList(), "alice,2024,5,17,1\r\n") << "its list line is gone, the other kept";
  }
}

}  // namespace
