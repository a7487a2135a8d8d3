// `charges` (and `expiry` without a date): the charge fields, upper limit,
// expiry date and transaction status of the card on the reader, read only.
#include <cstdio>

#include "app/core/records.h"
#include "app/core/text_ids.h"
#include "cardlib/Corvex.h"
#include "tools/pellam_card/commands.h"
#include "tools/pellam_card/json_text.h"

namespace pellam_card {

namespace {

std::string Date(std::int32_t year, std::int32_t month, std::int32_t day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

using LastChargeRead = std::int32_t (*)(std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*, char*,
                                        std::int32_t*);

// One record of a last charge or payment: date, amount, text.
std::string LastCharge(LastChargeRead read, std::string& text_out, std::int32_t& status) {
  std::int32_t year = 0, month = 0, day = 0, amount = 0;
  char text[17] = {};
  std::int32_t length = 16;
  status = read(&year, &month, &day, &amount, text, &length);
  text_out = std::string(text, status == 0 ? static_cast<std::size_t>(length) : 0);
  return Date(year, month, day) + " " + std::to_string(amount);
}

}  // namespace

int RunCharges(ToolSession& session) {
  if (!session.LoadLanguage()) return kExitStartup;
  if (!session.OpenReader()) return kExitCardFailure;
  pellam::CardKind kind = pellam::CardKind::NoCard;
  pellam::SenseCardKind(session.card(), kind);
  if (kind == pellam::CardKind::NoCard) {
    session.ShowError(pellam::text::kPlaceCard);
    session.CloseReader();
    return kExitCardFailure;
  }
  const bool expiry_only = session.invocation().command->name == std::string("expiry");
  JsonObject json;
  std::string text;
  std::int32_t failed = 0;
  const auto check = [&failed](std::int32_t status) {
    if (status != 0 && failed == 0) failed = status;
    return status == 0;
  };
  const auto add = [&](const char* name, std::int64_t value) {
    json.Add(name, value);
    text += session.texts().FieldName(name) + ": " + std::to_string(value) + "\n";
  };
  const auto add_text = [&](const char* name, const std::string& value) {
    json.Add(name, value);
    text += session.texts().FieldName(name) + ": " + ConsoleSafe(value) + "\n";
  };

  std::int32_t year = 0, month = 0, day = 0;
  if (check(GenReadExpireDate(&year, &month, &day))) add_text("expiry_date", Date(year, month, day));
  if (!expiry_only) {
    std::int32_t previous = 0, current = 0, limit = 0;
    if (check(GenReadPreCharge(&previous, &current))) {
      add("prepaid", current);
      add("prepaid_previous", previous);
    }
    if (check(GenReadUserCharge(&previous, &current))) {
      add("user_charge", current);
      add("user_charge_previous", previous);
    }
    if (check(GenReadChargeUpperLimit(&limit))) add("upper_limit", limit);
    std::string record_text;
    std::int32_t status = 0;
    const std::string charge = LastCharge(GenReadLastUserCharge, record_text, status);
    if (check(status)) add_text("last_user_charge", charge + (record_text.empty() ? "" : " " + record_text));
    const std::string payment = LastCharge(GenReadLastUserPayment, record_text, status);
    if (check(status)) add_text("last_user_payment", payment + (record_text.empty() ? "" : " " + record_text));
    std::uint8_t transaction = 0;
    if (check(GenReadTransactionStatus(&transaction))) add("transaction_status", transaction);
  }
  const bool closed = session.CloseReader();
  if (failed != 0) {
    session.ShowError(pellam::text::kCardNotRead);
    session.Note(tool_text::kCardLibraryStatus, {StatusText(failed)});
  }
  session.console().Out(session.json() ? json.Text() + "\n" : text);
  return failed == 0 && closed ? kExitOk : kExitCardFailure;
}

}  // namespace pellam_card
