#include "tools/pellam_card/tool_session.h"

#include <algorithm>

#include "app/core/admin_id_dialog.h"
#include "app/core/card_wait.h"
#include "app/core/startup.h"
#include "app/core/text_ids.h"

namespace pellam_card {

namespace {

constexpr std::uint32_t kGateTick = pellam::AdminIdDialog::kTimerPeriod;

}  // namespace

std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
  return line;
}

bool ConsoleSurface::ShowMessageBox(pellam::WindowRef, std::string_view text, std::string_view caption,
                                    pellam::MessageBoxKind kind) {
  const bool question = kind == pellam::MessageBoxKind::WarningQuestion || kind == pellam::MessageBoxKind::Confirm;
  if (!question) {
    last_message_ = OneLine(text);
    console_.Err(std::string(caption) + ": " + last_message_ + "\n");
    return true;
  }
  if (text != last_question_) {
    last_question_ = std::string(text);
    if (text != quiet_question_) {
      console_.Err(std::string(caption) + ": " + OneLine(text) + "\n");
      if (!prompt_.empty()) console_.Prompt(prompt_);
    }
  }
  return !console_.StopRequested();
}

ToolSession::ToolSession(ToolServices& services, const Invocation& invocation, const ToolTexts& texts)
    : services_(services),
      invocation_(invocation),
      texts_(texts),
      state_holder_(std::make_unique<pellam::AppState>()),
      state_(*state_holder_),
      surface_(services.console),
      messages_(state_, surface_),
      card_(invocation.Value("--port")),
      context_{state_, messages_, card_, [this](std::uint32_t ms) { services_.console.Pause(ms); }} {}

ToolSession::~ToolSession() {
  CloseReader();
  if (started_) pellam::RunExitPath(state_, messages_);
}

bool ToolSession::LoadLanguage() {
  if (!pellam::LoadLanguage(state_, messages_, services_.locale_id)) return false;
  surface_.SetQuietQuestion(Text(pellam::text::kPlaceCard));
  return true;
}

bool ToolSession::StartUp() {
  pellam::StartupServices startup{card_, services_.locale_id, services_.check_administrators,
                                  [this](std::uint32_t ms) { services_.console.Pause(ms); }};
  if (!pellam::RunStartup(state_, messages_, startup)) return false;
  started_ = true;
  surface_.SetQuietQuestion(Text(pellam::text::kPlaceCard));
  return true;
}

bool ToolSession::PassGate() {
  ToolConsole& console = services_.console;
  const std::string instruction = OneLine(Text(pellam::text::kAdminIdInstruction));
  if (invocation_.Has("--admin-card-first")) {
    console.Prompt(texts_.Format(tool_text::kThenPressEnter, {instruction}));
    std::string line;
    if (!ReadAnswer(line)) return false;
  } else {
    console.Prompt(instruction);
  }
  surface_.SetPrompt(instruction);
  pellam::AdminIdDialog gate(state_, messages_, card_);
  ConsoleView view;
  gate.OnInit(view);
  while (!view.ended) {
    if (console.StopRequested()) {
      stopped_ = true;
      gate.OnCancel(view);
      break;
    }
    console.Pause(kGateTick);
    gate.OnTimer(view);
  }
  gate.OnDestroy(view);
  surface_.SetPrompt({});
  if (view.result != pellam::AdminIdDialog::kResultRead && console.StopRequested()) stopped_ = true;
  return view.result == pellam::AdminIdDialog::kResultRead;
}

bool ToolSession::OpenReader() {
  if (card_.OpenDevice() != 0) {
    ShowError(pellam::text::kReaderNotOpened);
    return false;
  }
  reader_open_ = true;
  return true;
}

bool ToolSession::CloseReader() {
  if (!reader_open_) return true;
  reader_open_ = false;
  if (card_.CloseDevice() == 0) return true;
  ShowError(pellam::text::kReaderNotClosed);
  return false;
}

bool ToolSession::WaitForCard(const std::string& prompt, const pellam::CardWaitRule& rule) {
  services_.console.Prompt(prompt);
  surface_.SetPrompt(prompt);
  ConsoleView view;
  const bool found = pellam::WaitForDialogCard(context_, view, rule);
  surface_.SetPrompt({});
  if (!found) {
    // The wait closed the reader itself.
    reader_open_ = false;
    stopped_ = true;
  }
  return found;
}

std::string ToolSession::Text(std::int32_t id) const { return pellam::LookupText(state_, id); }

void ToolSession::ShowError(std::int32_t id) { messages_.ShowWarning(id, messages_.ErrorCaption()); }

void ToolSession::ShowInformation(std::int32_t id) { messages_.ShowInformation(id, messages_.InformationCaption()); }

void ToolSession::Note(std::string_view text) { services_.console.Err(std::string(text) + "\n"); }

bool ToolSession::ReadAnswer(std::string& line) {
  if (services_.console.ReadLine(line)) return true;
  if (!services_.console.StopRequested()) Note(tool_text::kInputEnded);  // not after Ctrl-C
  stopped_ = true;
  return false;
}

}  // namespace pellam_card
