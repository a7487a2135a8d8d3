#include "tests/app/operation_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/core/card_use.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "platform/registry.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace app_test {

OperationBench::OperationBench(pellam::CardAccess* real)
    : context{state, messages, real != nullptr ? *real : card, [this](std::uint32_t ms) { pauses.push_back(ms); }},
      registry_("PELLAM_REGISTRY", folder.dir().file("machine.reg")) {
  std::int32_t row = 0;
  for (const std::int32_t id : pellam::text::kAllProgramTexts) {
    const std::string line = std::to_string(id) + ",T" + std::to_string(id) + "\n";
    std::copy(line.begin(), line.end(), state.language_rows.begin() + row++ * pellam::kLanguageRowSize);
  }
  state.language_row_count = row;
  const auto put = [](pellam::TextBuffer& buffer, std::string_view text) { std::ranges::copy(text, buffer.begin()); };
  put(state.information_caption, "Info");
  put(state.question_caption, "Question");
  put(state.error_caption, "Error");
  put(state.ok_text, "OK");
  put(state.cancel_text, "Cancel");
  state.message_owner = kMainWindow;
  surface.windows = {kMainWindow, kDialogWindow};
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

void OperationBench::OpenList(int rows) { OpenList(folder.WriteList(rows)); }

std::string OperationBench::ClosedList() {
  if (state.list_open) CloseIDFile(state.list_handle);
  state.list_open = false;
  return folder.Read("UserIDList.csv");
}

void OperationBench::MakeRegistry(std::uint32_t card_use) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((card_use >> shift) & 0xFF));
  MakeRegistryValue(4, bytes);
}

#if defined(_WIN32)

void OperationBench::MakeRegistryValue(std::uint32_t type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(
      ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, pellam::kCardUseKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  ::RegSetValueExA(key, pellam::kCardUseValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
  ::RegCloseKey(key);
}

void OperationBench::MakeRegistryWithoutKey() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, pellam::kCardUseKey); }

#else

void OperationBench::MakeRegistryValue(std::uint32_t type, const std::string& bytes) {
  std::string hex;
  for (char byte : bytes) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%s%02x", hex.empty() ? "" : ",", static_cast<unsigned char>(byte));
    hex += digits;
  }
  folder.Write("machine.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\VORAN\\VORAN Tollmark]\r\n\"cardtype\"=hex(" +
                                  std::to_string(type) + "):" + hex + "\r\n");
}

void OperationBench::MakeRegistryWithoutKey() { folder.Write("machine.reg", "REGEDIT4\r\n"); }

#endif

std::int64_t OperationBench::StoredCardUse() const {
  const auto value =
      platform::ReadRegistryValue(platform::RegistryRoot::LocalMachine, pellam::kCardUseKey, pellam::kCardUseValue);
  if (!value || value->data.size() != 4) return -1;
  return static_cast<unsigned char>(value->data[0]);
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

void OperationBench::ExpectOutcome(const std::vector<std::string>& work, const std::vector<std::string>& shown,
                                   const std::string& log, int result) const {
  EXPECT_EQ(card.CardWork(), work);
  EXPECT_EQ(Shown(), shown);
  EXPECT_EQ(LastLog(), log);
  EXPECT_EQ(view.result, result);
  EXPECT_FALSE(card.open);
}

std::string OperationBench::LastLog() const {
  if (!folder.Exists("UserCardProcessLog.csv")) return {};
  std::istringstream log(folder.Read("UserCardProcessLog.csv"));
  std::string line;
  for (std::string next; std::getline(log, next);) line = next.substr(0, next.find('\r'));
  for (int field = 0; field < 5; ++field) line.erase(0, line.find(',') + 1);
  return line;
}

}  // namespace app_test
