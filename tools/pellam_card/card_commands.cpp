// `sense` and `show`: what lies on the reader, read without changing it.
#include <cstdio>

#include "app/core/card_preread.h"
#include "app/core/records.h"
#include "app/core/text_ids.h"
#include "cardlib/Corvex.h"
#include "cardlib/cipher/secure_wipe.h"
#include "tools/pellam_card/commands.h"
#include "tools/pellam_card/json_text.h"

namespace pellam_card {

namespace {

constexpr std::uint32_t kSensePause = 100;

struct KindName {
  pellam::CardKind kind;
  const char* name;
};

constexpr KindName kKindNames[] = {
    {pellam::CardKind::NoCard, "none"},
    {pellam::CardKind::BlankCard, "blank"},
    {pellam::CardKind::UserCard, "user-ID"},
    {pellam::CardKind::CodeCard, "user-code"},
    {pellam::CardKind::AdminCard, "administrator"},
};

const char* KindText(pellam::CardKind kind) {
  for (const KindName& row : kKindNames) {
    if (row.kind == kind) return row.name;
  }
  return "unknown";
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  char digits[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
    text += digits;
  }
  return text;
}

std::string CardId(ToolSession& session) {
  std::uint8_t id[8] = {};
  std::int32_t length = sizeof id;
  return session.card().GetCardInfo(id, &length) == 0 ? Hex(id, sizeof id) : "";
}

// The card's kind and identifier; false when no card answers (9010 shown)
// unless `wait`, which senses every 100 ms until one does or the operator
// stops.
bool SenseOnce(ToolSession& session, bool wait, pellam::CardKind& kind, std::string& card_id, bool& stopped) {
  stopped = false;
  if (wait) session.console().Prompt(OneLine(session.Text(pellam::text::kPlaceCard)));
  while (true) {
    pellam::SenseCardKind(session.card(), kind);
    if (kind != pellam::CardKind::NoCard) break;
    if (!wait) {
      session.ShowError(pellam::text::kPlaceCard);
      return false;
    }
    if (session.console().StopRequested()) {
      stopped = true;
      return false;
    }
    session.console().Pause(kSensePause);
  }
  card_id = CardId(session);
  return true;
}

// A text field read by a card-library call; "" when unreadable.
template <typename Read>
std::string ReadText(Read read, std::size_t capacity = 512) {
  std::string text(capacity, '\0');
  std::int32_t length = static_cast<std::int32_t>(capacity);
  if (read(text.data(), &length) != 0) return "";
  text.resize(static_cast<std::size_t>(length));
  return text;
}

class FieldPrinter {
 public:
  explicit FieldPrinter(ToolSession& session) : session_(session) {}
  void Add(const std::string& name, const std::string& value) {
    json_.Add(name, value);
    text_ += session_.texts().FieldName(name) + ": " + ConsoleSafe(value) + "\n";
  }
  void Add(const std::string& name, std::int64_t value) {
    json_.Add(name, value);
    text_ += session_.texts().FieldName(name) + ": " + std::to_string(value) + "\n";
  }
  // A value that is one of the tool's words, not the card's data.
  void AddWord(const std::string& name, const char* word) {
    json_.Add(name, word);
    text_ += session_.texts().FieldName(name) + ": " + session_.texts().ValueWord(word) + "\n";
  }
  void Print() { session_.console().Out(session_.json() ? json_.Text() + "\n" : text_); }

 private:
  ToolSession& session_;
  JsonObject json_;
  std::string text_;
};

std::string DateText(std::int32_t year, std::int32_t month, std::int32_t day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

void AddUserFields(FieldPrinter& out, bool reveal) {
  char user_id[256];
  std::int32_t user_id_length = sizeof user_id;
  char password[512];
  const corvex::ScopedWipe password_wipe(password, sizeof password);
  std::int32_t password_length = sizeof password;
  if (GenReadUserAccount(user_id, &user_id_length, password, &password_length) == 0) {
    out.Add("user_id", std::string(user_id, user_id_length));
    if (reveal) {
      out.Add("password", std::string(password, password_length));
    } else {
      out.AddWord("password", password_length > 0 ? "(set)" : "(none)");
    }
  }
  std::int32_t present = 0, check = 0, limit = 0, count = 0;
  char pin[32];
  const corvex::ScopedWipe pin_wipe(pin, sizeof pin);
  std::int32_t pin_length = sizeof pin;
  if (GenReadPINSettings(&present, &check, &limit, &count, pin, &pin_length) == 0) {
    if (reveal) {
      out.Add("pin", std::string(pin, pin_length));
    } else {
      out.AddWord("pin", present ? "(set)" : "(none)");
    }
    if (present) {
      out.Add("retry_limit", limit);
      out.Add("retry_count", count);
    }
  }
}

}  // namespace

std::string StatusText(std::int32_t status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(status));
  return text;
}

int RunSense(ToolSession& session) {
  if (!session.LoadLanguage()) return kExitStartup;
  if (!session.OpenReader()) return kExitCardFailure;
  pellam::CardKind kind = pellam::CardKind::NoCard;
  std::string card_id;
  bool stopped = false;
  const bool found = SenseOnce(session, session.invocation().Has("--wait"), kind, card_id, stopped);
  if (!session.CloseReader()) return kExitCardFailure;
  if (!found) return stopped ? kExitStopped : kExitCardFailure;
  FieldPrinter out(session);
  out.AddWord("kind", KindText(kind));
  out.Add("card_id", card_id);
  out.Print();
  return kExitOk;
}

int RunShow(ToolSession& session) {
  const bool reveal = session.invocation().Has("--reveal");
  pellam::CardKind kind = pellam::CardKind::NoCard;
  std::string card_id;
  if (reveal) {
    // The password and the PIN only for the administrator of the card, as
    // the commands that change a card have it.
    if (const int status = ReachCard(session, CardNeeded::OwnUserCard, kind)) return status;
    card_id = CardId(session);
  } else {
    if (!session.LoadLanguage()) return kExitStartup;
    if (!session.OpenReader()) return kExitCardFailure;
    bool stopped = false;
    if (!SenseOnce(session, false, kind, card_id, stopped)) {
      session.CloseReader();
      return kExitCardFailure;
    }
  }
  FieldPrinter out(session);
  out.AddWord("kind", KindText(kind));
  out.Add("card_id", card_id);
  if (kind == pellam::CardKind::AdminCard) {
    out.Add("admin_id",
            ReadText([](char* text, std::int32_t* length) { return GenReadAdminIdFromAdmin(text, length); }));
    out.Add("comment",
            ReadText([](char* text, std::int32_t* length) { return GenReadCommentFromAdmin(text, length); }));
  } else if (kind != pellam::CardKind::BlankCard) {
    if (kind == pellam::CardKind::UserCard) AddUserFields(out, reveal);
    out.Add("admin_id",
            ReadText([](char* text, std::int32_t* length) { return GenReadAdminIdFromUser(text, length); }));
    out.Add("user_name", ReadText([](char* text, std::int32_t* length) { return GenReadUserName(text, length); }));
    out.Add("comment", ReadText([](char* text, std::int32_t* length) { return GenReadCommentFromUser(text, length); }));
    pellam::TextField<16> code;
    if (GenReadUserCode(reinterpret_cast<std::uint8_t*>(code.bytes.data()), &code.length) == 0) {
      pellam::UserCodeToText(code);
      out.Add("user_code", std::string(code.bytes.data()));
    }
    std::int32_t count = 0, year = 0, month = 0, day = 0;
    if (GenReadIssueInfo(&count, &year, &month, &day) == 0) {
      out.Add("issue_count", count);
      out.Add("issue_date", DateText(year, month, day));
    }
  }
  const bool closed = session.CloseReader();
  out.Print();
  return closed ? kExitOk : kExitCardFailure;
}

}  // namespace pellam_card
