#include "tests/app/operation_bench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/core/card_use.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "platform/registry.h"

namespace app_test {

namespace {

void Fill(pellam::TextBuffer& buffer, const std::string& text) {
  buffer.fill('\0');
  std::copy(text.begin(), text.end(), buffer.begin());
}

}  // namespace

OperationBench::OperationBench(pellam::CardAccess* real)
    : context{state, messages, real != nullptr ? *real : card, [this](std::uint32_t ms) { pauses.push_back(ms); }},
      registry_("PELLAM_REGISTRY", folder.dir().file("machine.reg")) {
  std::int32_t row = 0;
  for (const std::int32_t id : pellam::text::kAllProgramTexts) {
    const std::string line = std::to_string(id) + ",T" + std::to_string(id) + "\n";
    std::copy(line.begin(), line.end(), state.language_rows.begin() + row * pellam::kLanguageRowSize);
    ++row;
  }
  state.language_row_count = row;
  Fill(state.information_caption, "Info");
  Fill(state.question_caption, "Question");
  Fill(state.error_caption, "Error");
  Fill(state.ok_text, "OK");
  Fill(state.cancel_text, "Cancel");
  state.message_owner = kMainWindow;
  surface.windows = {kMainWindow, kDialogWindow};
  pellam::TextField<256>& admin = state.records.admin.admin_id;
  admin.bytes.fill('\0');
  std::copy_n("ADMIN01", 7, admin.bytes.begin());
  admin.length = 7;
}

OperationBench::~OperationBench() {
  if (state.list_open) CloseIDFile(state.list_handle);
}

void OperationBench::OpenList(int rows) {
  folder.WriteList(rows);
  ASSERT_EQ(OpenIDFile("UserIDList.csv", &state.list_handle), 0);
  state.list_open = true;
  state.user_id_count = pellam::kUserIdRows;
  ASSERT_EQ(ReadIDFileAll(state.list_handle, state.user_id_rows.data(), &state.user_id_count), 0);
}

void OperationBench::MakeLog() { folder.Write("UserCardProcessLog.csv", ""); }

void OperationBench::MakeRegistry(std::uint32_t card_use, const std::string& more_keys) {
  folder.Write("machine.reg", "REGEDIT4\r\n\r\n" + more_keys +
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VORAN\\VORAN Tollmark]\r\n\"cardtype\"=dword:0000000" +
                                  std::to_string(card_use) + "\r\n");
}

void OperationBench::MakeRegistryWithoutKey() { folder.Write("machine.reg", "REGEDIT4\r\n"); }

std::int64_t OperationBench::StoredCardUse() const {
  const auto value =
      platform::ReadRegistryValue(platform::RegistryRoot::LocalMachine, pellam::kCardUseKey, pellam::kCardUseValue);
  if (!value || value->data.size() != 4) return -1;
  return static_cast<unsigned char>(value->data[0]);
}

std::vector<std::string> OperationBench::LogLines() const {
  std::vector<std::string> lines;
  if (!folder.Exists("UserCardProcessLog.csv")) return lines;
  std::istringstream log(folder.Read("UserCardProcessLog.csv"));
  for (std::string line; std::getline(log, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> OperationBench::Shown() const {
  std::vector<std::string> texts;
  for (const ShownMessage& message : surface.shown) texts.push_back(message.text + "/" + message.caption);
  return texts;
}

}  // namespace app_test
