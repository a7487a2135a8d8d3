// The four message helpers every message of the program goes through, and
// the surface they show their boxes on.
//
// Each helper sets the arrow cursor, takes the language text of an identifier
// (or the literal text when the identifier is 0) and shows a modal box owned
// by the current message owner while that is still a window, else by the
// active window. The questions answer 1 for OK, with the wait cursor set
// again, and 2 otherwise.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/core/app_state.h"

namespace pellam {

enum class MessageBoxKind {
  Warning,          // warning icon, OK
  WarningQuestion,  // warning icon, OK and Cancel
  Confirm,          // information icon, OK and Cancel
  Information,      // information icon, OK
};

enum class CursorShape { Arrow, Wait };

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

class MessageSurface {
 public:
  virtual ~MessageSurface() = default;
  virtual bool IsWindow(WindowRef window) = 0;
  // Shows a modal box; `owner` kNoWindow means the active window. True when
  // the operator pressed OK.
  virtual bool ShowMessageBox(WindowRef owner, std::string_view text, std::string_view caption,
                              MessageBoxKind kind) = 0;
  virtual void SetCursor(CursorShape shape) = 0;
};

class Messages {
 public:
  Messages(AppState& state, MessageSurface& surface) : state_(state), surface_(surface) {}

  void ShowWarning(std::int32_t text_id, std::string_view caption, std::string_view literal = {});
  int AskWarning(std::int32_t text_id, std::string_view caption, std::string_view literal = {});
  int AskConfirm(std::int32_t text_id, std::string_view caption, std::string_view literal = {});
  void ShowInformation(std::int32_t text_id, std::string_view caption, std::string_view literal = {});

  // The captions loaded at start-up.
  std::string_view InformationCaption() const;
  std::string_view QuestionCaption() const;
  std::string_view ErrorCaption() const;

  void SetCursor(CursorShape shape) { surface_.SetCursor(shape); }

 private:
  bool Show(std::int32_t text_id, std::string_view literal, std::string_view caption, MessageBoxKind kind);
  int Ask(std::int32_t text_id, std::string_view literal, std::string_view caption, MessageBoxKind kind);

  AppState& state_;
  MessageSurface& surface_;
};

}  // namespace pellam
