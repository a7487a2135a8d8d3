// Every operation dialog writes only to the card the main window read: the
// card-wait loop asks until that card, of the expected kind, is back, and
// cancels without card work when the reader or the identifier fails.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/core/card_preread.h"
#include "app/core/initialize_dialog.h"
#include "app/core/pin_change_dialog.h"
#include "app/core/update_dialog.h"
#include "tests/app/operation_bench.h"

namespace {

using app_test::OperationBench;
using Strings = std::vector<std::string>;

struct DialogRow {
  const char* name;
  bool code_card;
  app_test::PreRead pre_read;
  std::function<std::unique_ptr<pellam::DialogLogic>(pellam::ProgramContext&)> make;
  const char* wrong_kind;
  const char* done;
};

template <typename Dialog>
std::unique_ptr<pellam::DialogLogic> Make(pellam::ProgramContext& context) {
  return std::make_unique<Dialog>(context);
}

const DialogRow kDialogs[] = {
    {"update", false, pellam::RunUpdateOperation, Make<pellam::UpdateDialog>, "T9012/Question", "T4001/Info"},
    {"update, user code", true, pellam::RunUpdateOperation, Make<pellam::UpdateDialog>, "T9022/Question", "T4001/Info"},
    {"PIN change", false, pellam::RunPinChangeOperation, Make<pellam::PinChangeDialog>, "T9012/Question", "T4002/Info"},
    {"PIN unlock", false, pellam::RunPinUnlockOperation, Make<pellam::ConfirmDialog>, "T9012/Question", "T4003/Info"},
    {"initialise", false, pellam::RunInitialiseOperation, Make<pellam::InitializeDialog>, "T9012/Question",
     "T4004/Info"},
    {"initialise, user code", true, pellam::RunInitialiseOperation, Make<pellam::InitializeDialog>, "T9022/Question",
     "T4004/Info"},
};

// Opens the row's dialog on the card its pre-read found.
std::unique_ptr<pellam::DialogLogic> OpenOnItsCard(OperationBench& bench, const DialogRow& row) {
  row.code_card ? bench.PlaceCodeCard() : bench.PlaceUserCard();
  auto dialog = row.make(bench.context);
  bench.Open(row.pre_read, *dialog);
  return dialog;
}

TEST(SameCard, EveryDialogWaitsForTheCardItReadAndCancelsWithoutIt) {
  for (const DialogRow& row : kDialogs) {
    SCOPED_TRACE(row.name);
    OperationBench bench;
    auto& card = bench.card;
    const auto dialog = OpenOnItsCard(bench, row);
    const std::int32_t right_type = card.card_type;

    // No card, then a blank one, then another card of the right kind, then
    // the card that was read; each question answered OK.
    card.card_type = app_test::ScriptedCard::kNoCard;
    std::vector<std::size_t> work_while_asked;
    bench.surface.on_message = [&] {
      work_while_asked.push_back(card.CardWork().size());
      switch (work_while_asked.size()) {
        case 1: card.card_type = 0; break;
        case 2:
          card.card_type = right_type;
          card.card_id[7] = 99;
          break;
        case 3: card.card_id[7] = OperationBench::kCardId; break;
      }
    };
    bench.PressOk(*dialog);
    EXPECT_EQ(bench.Shown(), (Strings{"T9010/Question", row.wrong_kind, "T9021/Question", row.done}));
    EXPECT_EQ(bench.pauses, (std::vector<std::uint32_t>{100, 100, 100}));
    EXPECT_EQ(work_while_asked, (std::vector<std::size_t>{0, 0, 0, card.CardWork().size()}));
    EXPECT_FALSE(card.CardWork().empty());
    EXPECT_EQ(bench.view.result, pellam::kDialogOk);

    // An unreadable identifier, or no reader, cancels without card work.
    for (const char* failing : {"card-info", "open"}) {
      SCOPED_TRACE(failing);
      OperationBench failed;
      const auto failing_dialog = OpenOnItsCard(failed, row);
      failed.card.failing = {failing};
      failed.surface.answers = {false};
      failed.PressOk(*failing_dialog);
      failed.ExpectOutcome({}, Strings{failing == std::string("open") ? "T9001/Error" : "T9021/Question"}, "",
                           pellam::kDialogCancel);
    }
  }
}

}  // namespace
