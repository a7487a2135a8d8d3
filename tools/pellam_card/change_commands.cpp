// The commands that change an issued card: verify-pin (which counts wrong
// attempts), unlock, initialise, charge and expiry DATE. Each runs the
// program's start-up and administrator-card gate, waits for a card of the
// right kind issued under that administrator (a user-code card needs no such
// check), remembers the card, and writes only to that same card.
#include <cstdio>
#include <cstdlib>

#include "app/core/card_preread.h"
#include "app/core/card_reset.h"
#include "app/core/card_wait.h"
#include "app/core/entry_checks.h"
#include "app/core/text_ids.h"
#include "cardlib/Corvex.h"
#include "cardlib/cipher/secret_text.h"
#include "platform/clock.h"
#include "tools/pellam_card/commands.h"
#include "tools/pellam_card/json_text.h"

namespace pellam_card {

namespace {

constexpr std::int64_t kHighestAmount = 99999;
constexpr std::int64_t kHighestStatus = 255;

}  // namespace

int ReachCard(ToolSession& session, CardNeeded needed, pellam::CardKind& kind) {
  if (!session.StartUp()) return kExitStartup;
  if (!session.PassGate()) return session.stopped() ? kExitStopped : kExitCardFailure;
  if (!session.OpenReader()) return kExitCardFailure;
  const std::string prompt =
      session.texts().Text(needed == CardNeeded::OwnUserCard ? tool_text::kPlaceUserIdCard : tool_text::kPlaceCard);
  session.console().Prompt(prompt);
  session.surface().SetPrompt(prompt);
  pellam::ProgramContext& context = session.context();
  kind = pellam::CardKind::UserCard;
  const int waited = needed == CardNeeded::OwnUserCard ? pellam::WaitForOwnUserCard(context)
                                                       : pellam::WaitForEditableCard(context, kind);
  session.surface().SetPrompt({});
  if (waited != pellam::kWaitFound) {
    session.CloseReader();
    return kExitStopped;
  }
  if (!pellam::RecordReadCard(context)) {
    session.ShowError(pellam::text::kCardNotRead);
    session.CloseReader();
    return kExitCardFailure;
  }
  return kExitOk;
}

namespace {

// The same-card rule before a write: 9021 and a card failure otherwise.
bool StillTheSameCard(ToolSession& session) {
  if (pellam::SameCardAsRead(session.context()) == 0) return true;
  session.ShowError(pellam::text::kNotTheReadCard);
  return false;
}

int Failed(ToolSession& session, std::int32_t text_id, std::int32_t status) {
  session.ShowError(text_id);
  session.Note(tool_text::kCardLibraryStatus, {StatusText(status)});
  session.CloseReader();
  return kExitCardFailure;
}

// Closes the reader, runs `record` either way (the card has changed), and
// tells the completion text (with --json also as the result).
int Finish(ToolSession& session, std::int32_t done_text, const std::function<void()>& record) {
  const bool closed = session.CloseReader();
  record();
  if (!closed) return kExitCardFailure;
  session.ShowInformation(done_text);
  if (session.json()) {
    JsonObject json;
    json.Add("command", session.invocation().command->name).Add("result", OneLine(session.Text(done_text)));
    session.console().Out(json.Text() + "\n");
  }
  return kExitOk;
}

// A decimal operand within bounds; false with a note otherwise.
bool Number(ToolSession& session, std::string_view what, const std::string& text, std::int64_t lowest,
            std::int64_t highest, std::int32_t& value) {
  if (text.empty() || !pellam::AllDigits(text) || pellam::DecimalValue(text) < lowest ||
      pellam::DecimalValue(text) > highest) {
    session.Note(tool_text::kNumberRange, {what, std::to_string(lowest), std::to_string(highest)});
    return false;
  }
  value = static_cast<std::int32_t>(pellam::DecimalValue(text));
  return true;
}

// YYYY-MM-DD within the card library's bounds (year 0..3000, month `lowest`
// ..12, day `lowest`..31).
bool Date(ToolSession& session, const std::string& text, std::int64_t lowest, std::int32_t (&date)[3]) {
  const std::size_t first = text.find('-');
  const std::size_t second = first == std::string::npos ? first : text.find('-', first + 1);
  if (second == std::string::npos) {
    session.Note(tool_text::kDateForm);
    return false;
  }
  const ToolTexts& texts = session.texts();
  return Number(session, texts.Text(tool_text::kTheYear), text.substr(0, first), 0, 3000, date[0]) &&
         Number(session, texts.Text(tool_text::kTheMonth), text.substr(first + 1, second - first - 1), lowest, 12,
                date[1]) &&
         Number(session, texts.Text(tool_text::kTheDay), text.substr(second + 1), lowest, 31, date[2]);
}

void PrintResult(ToolSession& session, JsonObject& json, const std::string& text) {
  session.console().Out(session.json() ? json.Text() + "\n" : text + "\n");
}

// The PIN typed unseen on the terminal, or with --pin-stdin a line of
// standard input; false with a note when there is none.
bool ReadPin(ToolSession& session, corvex::SecretText& pin) {
  const bool from_input = session.invocation().Has("--pin-stdin");
  ToolConsole& console = session.console();
  switch (console.ReadSecret(pin, from_input, session.texts().Text(tool_text::kPinPrompt))) {
    case ToolConsole::SecretRead::Read: return true;
    case ToolConsole::SecretRead::Ended:
      if (!console.StopRequested()) session.Note(tool_text::kInputEnded);  // not after Ctrl-C
      break;
    case ToolConsole::SecretRead::NoTerminal: session.Note(tool_text::kNoTerminal); break;
  }
  return false;
}

}  // namespace

int RunVerifyPin(ToolSession& session) {
  corvex::SecretText pin;
  if (!session.invocation().operands.empty()) {
    pin.Assign(session.invocation().operands.front());
    session.Note(tool_text::kPinOnCommandLine);
  } else if (!ReadPin(session, pin)) {
    return kExitStopped;
  }
  pellam::CardKind kind;
  if (const int status = ReachCard(session, CardNeeded::OwnUserCard, kind)) return status;
  if (!StillTheSameCard(session)) {
    session.CloseReader();
    return kExitCardFailure;
  }
  const std::int32_t status = GenVerifyPIN(pin.View().data(), static_cast<std::int32_t>(pin.size()));
  pin.Clear();
  if (!session.CloseReader()) return kExitCardFailure;
  // The result's line of kPinResults; the JSON names it in English.
  struct Answer {
    std::int32_t status;
    int line;
    int exit_status;
  };
  static constexpr Answer kAnswers[] = {
      {CORVEX_OK, 0, kExitOk},
      {CORVEX_NO_PIN, 1, kExitRefused},
      {CORVEX_WRONG_PIN, 2, kExitRefused},
      {CORVEX_PIN_LOCKED, 3, kExitRefused},
      {CORVEX_WRONG_PIN_NOW_LOCKED, 4, kExitRefused},
  };
  TextLine result{tool_text::kPinResults, 5};
  int exit_status = kExitCardFailure;
  for (const Answer& answer : kAnswers) {
    if (answer.status == status) {
      result.line = answer.line;
      exit_status = answer.exit_status;
    }
  }
  const ToolTexts english;
  JsonObject json;
  json.Add("command", "verify-pin").Add("result", english.Text(result)).Add("status", StatusText(status));
  const ToolTexts& texts = session.texts();
  PrintResult(session, json, texts.Format(tool_text::kWithStatus, {texts.Text(result), StatusText(status)}));
  return exit_status;
}

int RunUnlock(ToolSession& session) {
  pellam::CardKind kind;
  if (const int status = ReachCard(session, CardNeeded::OwnUserCard, kind)) return status;
  if (!StillTheSameCard(session)) {
    session.CloseReader();
    return kExitCardFailure;
  }
  pellam::ProgramContext& context = session.context();
  if (const std::int32_t status = pellam::UnlockPin(context))
    return Failed(session, pellam::text::kRetryNotReset, status);
  return Finish(session, pellam::text::kPinUnlocked, [&context] { pellam::LogUnlock(context); });
}

int RunInitialise(ToolSession& session) {
  if (!session.StartUp()) return kExitStartup;
  if (!session.PassGate()) return session.stopped() ? kExitStopped : kExitCardFailure;
  // A blank card has nothing to initialise (9016), as the main window says.
  if (!session.OpenReader()) return kExitCardFailure;
  pellam::CardKind kind = pellam::CardKind::NoCard;
  pellam::SenseCardKind(session.card(), kind);
  if (kind == pellam::CardKind::BlankCard) {
    session.CloseReader();
    session.ShowInformation(pellam::text::kAlreadyBlank);
    return kExitRefused;
  }
  const std::string prompt = session.texts().Text(tool_text::kPlaceCardToInitialise);
  session.console().Prompt(prompt);
  session.surface().SetPrompt(prompt);
  pellam::ProgramContext& context = session.context();
  const int waited = pellam::WaitForEditableCard(context, kind);
  session.surface().SetPrompt({});
  if (waited != pellam::kWaitFound) {
    session.CloseReader();
    return kExitStopped;
  }
  if (!pellam::RecordReadCard(context) || !StillTheSameCard(session)) {
    session.CloseReader();
    return kExitCardFailure;
  }
  const bool code_card = kind == pellam::CardKind::CodeCard;
  bool delete_id = !code_card && session.invocation().Has("--delete-id");
  const std::int32_t status =
      code_card ? pellam::InitialiseUserCodeCard(context) : pellam::InitialiseUserIdCard(context, delete_id);
  if (status != 0) return Failed(session, pellam::text::kNotInitialised, status);
  return Finish(session, pellam::text::kInitialised, [&context, code_card, delete_id] {
    if (delete_id) pellam::DeleteListedId(context);
    pellam::LogInitialise(context, code_card, delete_id);
  });
}

int RunCharge(ToolSession& session) {
  const Invocation& invocation = session.invocation();
  const bool amount_given = !invocation.operands.empty();
  const int choices = amount_given + invocation.Has("--limit") + invocation.Has("--status");
  if (choices != 1) {
    session.Note(tool_text::kChargeChoice);
    return kExitRefused;
  }
  std::int32_t value = 0;
  std::int32_t date[3] = {};
  const std::string user_text = invocation.Value("--user");
  if (amount_given) {
    if (!Number(session, "AMOUNT", invocation.operands.front(), 1, kHighestAmount, value)) return kExitRefused;
    if (invocation.Has("--user") && (user_text.empty() || user_text.size() > 16)) {
      session.Note(tool_text::kUserTextLength);
      return kExitRefused;
    }
    if (invocation.Has("--date")) {
      if (!Date(session, invocation.Value("--date"), 1, date)) return kExitRefused;
    } else {
      const platform::LocalDateTime now = platform::CurrentLocalDateTime();
      date[0] = now.year;
      date[1] = now.month;
      date[2] = now.day;
    }
  } else if (invocation.Has("--limit")) {
    if (!Number(session, "--limit", invocation.Value("--limit"), 0, kHighestAmount, value)) return kExitRefused;
  } else if (!Number(session, "--status", invocation.Value("--status"), 0, kHighestStatus, value)) {
    return kExitRefused;
  }

  pellam::CardKind kind;
  if (const int status = ReachCard(session, CardNeeded::EditableCard, kind)) return status;
  if (!StillTheSameCard(session)) {
    session.CloseReader();
    return kExitCardFailure;
  }
  std::int32_t status = 0;
  std::int32_t total = 0;
  std::int32_t limit = 0;
  JsonObject json;
  json.Add("command", "charge");
  const ToolTexts& texts = session.texts();
  std::string text;
  if (amount_given && invocation.Has("--user")) {
    status = GenChargeUserCharge(value, date[0], date[1], date[2], user_text.data(),
                                 static_cast<std::int32_t>(user_text.size()), &total, &limit);
    json.Add("user_charge", static_cast<std::int64_t>(total)).Add("upper_limit", static_cast<std::int64_t>(limit));
    text = texts.Format(tool_text::kUserCharge, {std::to_string(total), std::to_string(limit)});
  } else if (amount_given) {
    status = GenChargePreCharge(value, &total);
    json.Add("prepaid", static_cast<std::int64_t>(total));
    text = texts.Format(tool_text::kPrepaid, {std::to_string(total)});
  } else if (invocation.Has("--limit")) {
    status = GenWriteChargeUpperLimit(value);
    json.Add("upper_limit", static_cast<std::int64_t>(value));
    text = texts.Format(tool_text::kUpperLimit, {std::to_string(value)});
  } else {
    status = GenWriteTransactionStatus(value);
    json.Add("transaction_status", static_cast<std::int64_t>(value));
    text = texts.Format(tool_text::kTransactionStatus, {std::to_string(value)});
  }
  const bool closed = session.CloseReader();
  json.Add("status", StatusText(status));
  if (status == CORVEX_CHARGE_LIMIT) {
    PrintResult(session, json, texts.Format(tool_text::kPastLimit, {text}));
    return kExitRefused;
  }
  if (status != 0) {
    session.ShowError(pellam::text::kCardNotWritten);
    session.Note(tool_text::kCardLibraryStatus, {StatusText(status)});
    return kExitCardFailure;
  }
  PrintResult(session, json, text);
  return closed ? kExitOk : kExitCardFailure;
}

int RunExpiry(ToolSession& session) {
  if (session.invocation().operands.empty()) return RunCharges(session);
  std::int32_t date[3] = {};
  if (!Date(session, session.invocation().operands.front(), 0, date)) return kExitRefused;
  pellam::CardKind kind;
  if (const int status = ReachCard(session, CardNeeded::EditableCard, kind)) return status;
  if (!StillTheSameCard(session)) {
    session.CloseReader();
    return kExitCardFailure;
  }
  const std::int32_t status = GenWriteExpireDate(date[0], date[1], date[2]);
  const bool closed = session.CloseReader();
  if (status != 0) {
    session.ShowError(pellam::text::kCardNotWritten);
    session.Note(tool_text::kCardLibraryStatus, {StatusText(status)});
    return kExitCardFailure;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date[0], date[1], date[2]);
  JsonObject json;
  json.Add("command", "expiry").Add("expiry_date", text);
  PrintResult(session, json, session.texts().Format(tool_text::kExpiryDate, {text}));
  return closed ? kExitOk : kExitCardFailure;
}

}  // namespace pellam_card
