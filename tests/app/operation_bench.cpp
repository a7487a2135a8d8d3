#include "tests/app/operation_bench.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/text_ids.h"
#include "idlist/Tallix.h"

namespace app_test {

namespace {

template <std::size_t N>
void Put(pellam::TextBuffer& buffer, const char (&text)[N]) {
  std::copy_n(text, N, buffer.begin());
}

}  // namespace

OperationBench::OperationBench() {
  std::int32_t row = 0;
  for (const std::int32_t id : pellam::text::kAllProgramTexts) {
    const std::string line = std::to_string(id) + ",T" + std::to_string(id) + "\n";
    std::copy(line.begin(), line.end(), state.language_rows.begin() + row++ * pellam::kLanguageRowSize);
  }
  state.language_row_count = row;
  Put(state.information_caption, "Info");
  Put(state.question_caption, "Question");
  Put(state.error_caption, "Error");
  Put(state.ok_text, "OK");
  Put(state.cancel_text, "Cancel");
  pellam::TextField<256>& admin = state.records.admin.admin_id;
  admin.Clear();
  std::copy_n("ADMIN01", 7, admin.bytes.begin());
  admin.length = 7;
  folder.Write("UserCardProcessLog.csv", "");
}

OperationBench::~OperationBench() {
  if (state.list_open) CloseIDFile(state.list_handle);
}

void OperationBench::PlaceUserCard() {
  card.PlaceUser(kCardId, "alice");
  card.pin = "1234";
  card.retry_limit = 5;
  card.user_name = "Alice";
  card.comment = "hi";
  card.user_code = {0x00, 0x00, 0x30, 0x39};
  card.issue_info = {3, 2005, 4, 1};
}

void OperationBench::PlaceCodeCard() {
  card.PlaceBlank(kCardId);
  card.card_type = 256;
  card.user_name = "Coder";
  card.comment = "hi";
  card.user_code = {0x00, 0x00, 0x30, 0x39};
  card.issue_info = {3, 2005, 4, 1};
}

void OperationBench::OpenList(const std::string& lines) {
  folder.Write("UserIDList.csv", lines);
  ASSERT_EQ(OpenIDFile("UserIDList.csv", &state.list_handle), TALLIX_OK);
  state.list_open = true;
  state.user_id_count = pellam::kUserIdRows;
  ASSERT_EQ(ReadIDFileAll(state.list_handle, state.user_id_rows.data(), &state.user_id_count), TALLIX_OK);
}

void OperationBench::Open(PreRead pre_read, pellam::DialogLogic& dialog) {
  pre_read(context, main);
  ASSERT_EQ(main.children.size(), 1u) << "the pre-read ran no dialog";
  ASSERT_FALSE(card.open);
  card.calls.clear();
  surface.shown.clear();
  pauses.clear();
  dialog.OnInit(view);
}

void OperationBench::Type(const std::map<int, std::string>& texts) {
  for (const auto& [control, text] : texts) view.texts[control] = text;
}

void OperationBench::ExpectRefusals(pellam::DialogLogic& dialog, const std::vector<Refusal>& refusals) {
  for (const Refusal& refusal : refusals) {
    surface.shown.clear();
    const int focus_returns = view.focus_returns;
    PressOk(dialog);
    EXPECT_EQ(Shown(), std::vector<std::string>{refusal.shown});
    EXPECT_EQ(view.focus_returns, focus_returns + 1) << refusal.shown;
    EXPECT_FALSE(view.ended) << refusal.shown;
    EXPECT_TRUE(card.calls.empty()) << refusal.shown;
    Type(refusal.then_typed);
  }
  surface.shown.clear();
}

std::vector<std::string> OperationBench::Shown() const {
  std::vector<std::string> texts;
  for (const ShownMessage& message : surface.shown) texts.push_back(message.text + "/" + message.caption);
  return texts;
}

std::string OperationBench::LastLog() const {
  std::string log = folder.Read("UserCardProcessLog.csv");
  if (log.size() < 2) return {};
  log.resize(log.size() - 2);  // the last CR LF
  const std::size_t last_line_end = log.rfind('\n');
  std::string line = last_line_end == std::string::npos ? log : log.substr(last_line_end + 1);
  for (int field = 0; field < 5; ++field) line.erase(0, line.find(',') + 1);
  return line;
}

}  // namespace app_test
