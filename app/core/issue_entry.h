// The rules of an issue, shared by the Issue dialogs and the batch issue of
// the command-line tool: the checks of the typed data in the dialog's order
// with its message ids, the check of the issue count and date, the card
// writes in the order of each card use, and the list and log records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/card_wait.h"
#include "app/core/entry_checks.h"
#include "app/core/pin_entry.h"
#include "app/core/program_context.h"
#include "cardlib/cipher/secret_text.h"

namespace pellam {

// What the operator gives for a new card, as texts, with the PIN settings
// part; the re-entries are the second password and PIN fields of the dialog.
// Passwords and PINs are held in wiping storage.
struct IssueTexts : pin_entry::PinTexts {
  bool user_id_card = true;
  std::string user_id;
  corvex::SecretText password;
  corvex::SecretText password_again;
  std::string user_name;
  std::string comment;
  std::string user_code;
};

enum class IssueCheck {
  Accepted,  // the entry and issue records hold the new card's data
  Refused,   // `text_id` names the failed check (error caption)
  Declined,  // a question was answered Cancel
  ListFull,  // a new user ID, and the list holds its limit (7004)
};

struct IssueCheckResult {
  IssueCheck outcome = IssueCheck::Accepted;
  std::int32_t text_id = 0;
};

// Clears the entry record, sets the card use, and runs the checks of that
// card use in order: user-ID card 9800, 9700, 9900, 9701, 7005, the PIN
// settings part (pin_entry::StorePinEntry, which asks 7016), 9705, 9710,
// the user code, then the list search (7003 asked when the user ID is listed
// already, OK re-issuing it with count + 1; else 7004 when the list is
// full); user-code card the user code (required), 9705, 9710, and today's
// date with count 1. Accepted values go into the entry record; the search
// fills the issue record and the list index.
IssueCheckResult CheckIssueEntry(ProgramContext& context, const IssueTexts& texts, const Question& ask);

// The issue count, year, month and day texts, each stored into `issue` as it
// is read, checked in that order: 9902 / 9706 above 32767; 9906 / 9707 above
// 3000; 9907 / 9808 below 1 / 9708 above 12; 9908 / 9809 / 9709 above 31.
// 0 when all pass, else the first failure's text.
std::int32_t CheckIssueInfoTexts(const std::string (&texts)[4], IssueInfo& issue);

// The card writes of an issue in the order of the chosen card use, over the
// entry, issue and administrator records (which must outlive the writes).
// Every failure is told under the question caption.
std::vector<CardWrite> IssueCardWrites(ProgramContext& context);

// The list line of a user-ID card (added, or replacing the re-issued user
// ID's line) and the log line of either card use. False when the list line
// could not be written: 9006 shown (error caption) and no log line written.
// A failed log line shows 7013 and still counts as recorded.
bool RecordIssue(ProgramContext& context);

}  // namespace pellam
