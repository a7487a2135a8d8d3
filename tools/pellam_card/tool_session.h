// What every command of the tool shares: the program's state and shared
// records, message boxes shown as console lines, the card-wait questions
// answered by waiting, the program's start-up, its administrator-card gate,
// and the reader.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "app/core/card_access.h"
#include "app/core/card_wait.h"
#include "app/core/dialog_view.h"
#include "app/core/message_helpers.h"
#include "app/core/program_context.h"
#include "tools/pellam_card/command_line.h"
#include "tools/pellam_card/tool.h"
#include "tools/pellam_card/tool_texts.h"

namespace pellam_card {

// Message boxes as lines on standard error. A question is a card-wait
// question here: it is printed once (again only when it changes; the
// "place a card" question not at all, since the prompt says so), followed by
// the prompt, and answered OK so that the wait goes on, or Cancel once the
// operator stops the tool.
class ConsoleSurface final : public pellam::MessageSurface {
 public:
  explicit ConsoleSurface(ToolConsole& console) : console_(console) {}

  bool IsWindow(pellam::WindowRef) override { return false; }
  bool ShowMessageBox(pellam::WindowRef owner, std::string_view text, std::string_view caption,
                      pellam::MessageBoxKind kind) override;
  void SetCursor(pellam::CursorShape) override {}

  // The prompt repeated after a question; the question kept quiet.
  void SetPrompt(std::string prompt) {
    prompt_ = std::move(prompt);
    last_question_.clear();
  }
  void SetQuietQuestion(std::string text) { quiet_question_ = std::move(text); }
  // The last warning or information shown, for the result rows.
  const std::string& LastMessage() const { return last_message_; }
  void ForgetLastMessage() { last_message_.clear(); }

 private:
  ToolConsole& console_;
  std::string prompt_;
  std::string last_question_;
  std::string quiet_question_;
  std::string last_message_;
};

// A dialog without a window: the dialog logic's calls that matter to the
// tool are its end and its timer.
class ConsoleView final : public pellam::DialogView {
 public:
  pellam::WindowRef Window() const override { return pellam::kNoWindow; }
  void SetTitle(std::string_view) override {}
  void SetControlText(int, std::string_view) override {}
  std::string ControlText(int, std::size_t) override { return {}; }
  void EnableControl(int, bool) override {}
  void CheckRadio(int, bool) override {}
  bool IsRadioChecked(int) override { return false; }
  void SetTextLimit(int, int) override {}
  void SetSpinnerRange(int, int, int) override {}
  void SetSpinnerPosition(int, int) override {}
  void ClearList(int) override {}
  void AddListEntry(int, std::string_view) override {}
  void SelectListEntry(int, int) override {}
  int SelectedListEntry(int) override { return -1; }
  void ShowExclamationIcon(int) override {}
  void ShowInformationIcon(int) override {}
  void SetFaceBackground(int) override {}
  void EnableWindow(bool) override {}
  void FocusDialog() override {}
  void SetControlFont(int, int) override {}
  void SetMark(const char*) override {}
  void RemoveMark(const char*) override {}
  void StartTimer(int, unsigned) override { timer_running = true; }
  void StopTimer(int) override { timer_running = false; }
  void PostToSelf(unsigned) override {}
  int RunChild(pellam::ChildDialog) override { return pellam::kDialogCancel; }
  void EndDialog(int dialog_result) override {
    ended = true;
    result = dialog_result;
  }

  bool ended = false;
  int result = 0;
  bool timer_running = false;
};

class ToolSession {
 public:
  ToolSession(ToolServices& services, const Invocation& invocation, const ToolTexts& texts);
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  // The language file only (commands that only read a card).
  bool LoadLanguage();
  // The program's start-up: language, Administrators group, user-ID list
  // backup and load, user-ID limit.
  bool StartUp();
  // The administrator card read into AdminIdentity, as the program's gate
  // reads it; false when the reader failed or the operator stopped.
  bool PassGate();
  // Opens the reader (9001 when it cannot be opened).
  bool OpenReader();
  // Closes the reader when it is open; false when that failed (9009).
  bool CloseReader();
  // The wait for a card of `rule`'s kind, with `prompt` shown first; false
  // when the operator stopped (the reader is then closed).
  bool WaitForCard(const std::string& prompt, const pellam::CardWaitRule& rule);

  std::string Text(std::int32_t id) const;
  // Prints a language text as a message line (error caption).
  void ShowError(std::int32_t id);
  void ShowInformation(std::int32_t id);
  // A line of the tool's own (usage problems, results) on standard error.
  void Note(std::string_view text);
  void Note(TextLine line, std::initializer_list<std::string_view> values = {}) {
    Note(texts_.Format(line, values));
  }
  // The operator's answer, a line from standard input; false with a note
  // when the input has ended, and the session then counts as stopped.
  bool ReadAnswer(std::string& line);
  const ToolTexts& texts() const { return texts_; }

  ToolConsole& console() { return services_.console; }
  const Invocation& invocation() const { return invocation_; }
  bool json() const { return invocation_.Has("--json"); }
  pellam::ProgramContext& context() { return context_; }
  pellam::AppState& state() { return state_; }
  pellam::SharedRecords& records() { return state_.records; }
  ConsoleSurface& surface() { return surface_; }
  pellam::CardAccess& card() { return card_; }
  bool stopped() const { return stopped_; }

 private:
  ToolServices& services_;
  const Invocation& invocation_;
  const ToolTexts& texts_;
  std::unique_ptr<pellam::AppState> state_holder_;
  pellam::AppState& state_;
  ConsoleSurface surface_;
  pellam::Messages messages_;
  pellam::CorvexCardAccess card_;
  pellam::ProgramContext context_;
  bool started_ = false;
  bool reader_open_ = false;
  bool stopped_ = false;
};

// One line of text made fit for a console line: line breaks become spaces.
std::string OneLine(std::string_view text);

}  // namespace pellam_card
