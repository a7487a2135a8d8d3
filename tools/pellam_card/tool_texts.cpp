#include "tools/pellam_card/tool_texts.h"

#include <cstdio>

#include "lang/Lingrel.h"

namespace pellam_card {

namespace {

constexpr std::size_t kRowBytes = 600;
constexpr std::string_view kNoStringData = "no string data";

const std::vector<BuiltInText> kEnglish = {
    {tool_text::kUsageFrame, "pellam-card: %s\n(pellam-card --help lists the commands)"},
    {tool_text::kUsageErrors,
     "unknown option %s\nunknown command %s\nno command given\nwrong number of operands for %s\n%s needs %s\n"
     "%s takes no value\n--port takes a COM name (COM3) or an absolute device path (/dev/ttyUSB0)\n"
     "give the PIN or --pin-stdin, not both"},
    {tool_text::kFileErrors,
     "%s: cannot be read\n%s: line %s: a quoted field is not closed\n%s: no header line\n"
     "%s: line %s has more fields than the header\n%s: not a report of pellam-card issue\n%s: cannot be written"},
    {tool_text::kUnknownColumn,
     "%s: unknown column \"%s\" (columns: card_use, user_id, password, pin, lockout, user_name, comment, "
     "user_code, count, date)"},
    {tool_text::kReportErrors,
     "%s: row %s is not the batch file's row; not resumed\n"
     "%s: exists and is not a report of pellam-card issue; not overwritten\nthe report could not be written"},
    {tool_text::kReportHoldsCards,
     "%s: holds the results of cards of an earlier batch; --resume goes on with that batch, or give another "
     "report file"},
    {tool_text::kRowChecks,
     "card_use must be \"id\" or \"code\"\nthe user ID is also in row %s\n%s (--confirm answers OK)\n"
     "%s The card may be partly written.\n%s The card is written."},
    {tool_text::kResolvedIssued, "its card was written and listed before the batch stopped"},
    {tool_text::kResolvedInterrupted,
     "the batch stopped while its card was being written; that card is not recorded: initialise it and issue "
     "this row again in a new batch"},
    {tool_text::kPrompts,
     "place a blank card for %s (%s/%s)\nplace a blank card for user code %s (%s/%s)\nplace the user-ID card\n"
     "place the card\nplace the card to initialise\n%s (then press Enter)\nPIN: "},
    {tool_text::kProgress,
     "row %s %s: %s\n%s/%s row %s %s: %s\n%s left\n%s (status %s)\nissued\nrefused\nfailed\ninterrupted"},
    {tool_text::kCheckSummary, "%s rows pass the checks, %s refused"},
    {tool_text::kIssueSummary, "issued %s, already issued %s, refused %s, failed %s, not done %s"},
    {tool_text::kPinOnCommandLine,
     "warning: a PIN on the command line is visible to other users of this machine; leave it out to type it "
     "unseen, or use --pin-stdin"},
    {tool_text::kInputErrors,
     "standard input has ended: the answer asked for cannot be read\n"
     "no terminal to type the PIN on: use --pin-stdin to read it from standard input"},
    {tool_text::kPinResults,
     "correct\nthe card has no PIN\nwrong PIN\nthe PIN is locked\nwrong PIN; the PIN is now locked\n"
     "the card could not be checked"},
    {tool_text::kValueChecks,
     "card library status %s\n%s must be a number from %s to %s\nthe year\nthe month\nthe day\n"
     "a date is written YYYY-MM-DD\ncharge needs exactly one of AMOUNT, --limit N, --status N\n"
     "the text of --user must have 1 to 16 bytes"},
    {tool_text::kChargeResults,
     "user charge %s (upper limit %s)\nprepaid balance %s\nupper limit %s\ntransaction status %s\n"
     "refused: the charge would pass its limit; %s\nexpiry date %s"},
    {tool_text::kDevelopmentKeys,
     "This build carries the development keys, which everyone has: it must not be used at a site."},
    {tool_text::kCardFieldNames,
     "kind\ncard_id\nadmin_id\ncomment\nuser_id\npassword\npin\nretry_limit\nretry_count\nuser_name\nuser_code\n"
     "issue_count\nissue_date"},
    {tool_text::kChargeFieldNames,
     "expiry_date\nprepaid\nprepaid_previous\nuser_charge\nuser_charge_previous\nupper_limit\nlast_user_charge\n"
     "last_user_payment\ntransaction_status"},
    {tool_text::kValueWords, "none\nblank\nuser-ID\nuser-code\nadministrator\nunknown\n(set)\n(none)"},
};

const std::vector<std::string> kHelpLines = {
    "usage: pellam-card COMMAND [OPTIONS]",
    "Works in the data folder like the issuing program: its language files, UserIDList.csv and "
    "UserCardProcessLog.csv. The data folder is the current folder when it holds VelLang.csv, else the folder the "
    "package recorded.",
    "Commands that change a card, and show --reveal, first read the administrator card and require membership of "
    "the Administrators group.",
    "commands:",
    "the card on the reader: its kind and identifier",
    "wait for a card",
    "the card's fields decoded",
    "show the password and the PIN (after the administrator card)",
    "issue the cards of a batch file, one blank card per row",
    "the rows to issue (required)",
    "one result row per input row, written as each is known",
    "skip the rows the report already marks issued",
    "only check the rows; no card is asked for",
    "answer OK to the Issue dialog's questions (re-issue of a listed user ID, lock-out count 0)",
    "check a PIN against the user-ID card (typed unseen when not given)",
    "read the PIN from standard input (one line), for scripts",
    "reset the count of failed PIN attempts of a user-ID card",
    "return a card to blank",
    "also delete its user ID from the user-ID list",
    "the card's charges, upper limit, expiry date and transaction status",
    "add AMOUNT (1..99999) to the prepaid balance, or set the upper limit or the transaction status",
    "charge the user charge instead, with this text (1..16 bytes)",
    "the user charge's date (today when not given)",
    "set the charge upper limit (0..99999, 0 = none)",
    "set the transaction status byte (0..255)",
    "the expiry date; with DATE (YYYY-MM-DD, or 0-0-0 for none) it is written",
    "options of every command:",
    "the reader's port: a COM name (COM3) or an absolute device path; found as the program finds it when not "
    "given",
    "machine-readable results on standard output",
    "ask for the administrator card and wait for Enter before reading it",
    "this text",
    "the program's version, and whether this build carries the development keys",
    "exit status:",
    "everything asked for succeeded",
    "start-up failed (language files, Administrators group, user-ID list)",
    "refused input: usage, or rows or values refused by the checks (nothing written for them)",
    "the reader or a card failed",
    "stopped by the operator (Ctrl-C, or end of input while an answer is awaited) before everything was done",
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

// The line of `row` whose English is `english`; -1 when there is none.
int EnglishLine(std::int32_t row, std::string_view english);

const char* English(std::int32_t id) {
  for (const BuiltInText& text : kEnglish) {
    if (text.id == id) return text.text;
  }
  return "";
}

int EnglishLine(std::int32_t row, std::string_view english) {
  const std::vector<std::string> lines = SplitLines(English(row));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == english) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

const std::vector<BuiltInText>& BuiltInEnglish() { return kEnglish; }
const std::vector<std::string>& BuiltInHelpLines() { return kHelpLines; }

bool ToolTexts::Load(std::uint32_t locale_id) {
  char file_name[256] = {};
  std::int32_t length = 0;
  std::vector<char> rows(LINGREL_TABLE_ROWS * kRowBytes);
  std::int32_t count = 0;
  if (ReadVelLang(0, static_cast<std::int32_t>(locale_id), file_name, &length) != 0 ||
      ReadLangFile(file_name, length, rows.data(), &count) != 0) {
    return false;
  }
  rows_ = std::move(rows);
  row_count_ = count;
  return true;
}

std::string ToolTexts::Row(std::int32_t id) const {
  if (row_count_ > 0) {
    char text[512] = {};
    std::int32_t length = 0;
    GetStringLangData(rows_.data(), row_count_, id, text, &length);
    const std::string found(text, static_cast<std::size_t>(length));
    if (found != kNoStringData) return found;
  }
  return English(id);
}

std::string ToolTexts::Text(TextLine line) const {
  const std::vector<std::string> lines = SplitLines(Row(line.id));
  if (line.line < static_cast<int>(lines.size())) return lines[static_cast<std::size_t>(line.line)];
  // A site file whose row has fewer lines: the English line instead.
  const std::vector<std::string> english = SplitLines(English(line.id));
  return line.line < static_cast<int>(english.size()) ? english[static_cast<std::size_t>(line.line)] : "";
}

std::string ToolTexts::Format(TextLine line, std::initializer_list<std::string_view> values) const {
  return FillIn(Text(line), values);
}

std::vector<std::string> ToolTexts::HelpLines() const {
  std::vector<std::string> lines;
  for (std::int32_t id = tool_text::kFirstHelpRow; id <= tool_text::kLastHelpRow; ++id) {
    const std::string row = Row(id);
    if (row.empty()) continue;
    for (std::string& line : SplitLines(row)) lines.push_back(std::move(line));
  }
  // A help of another length belongs to another version of the tool.
  return lines.size() == kHelpLines.size() ? lines : kHelpLines;
}

std::string ToolTexts::FieldName(std::string_view key) const {
  for (const std::int32_t row : {tool_text::kCardFieldNames, tool_text::kChargeFieldNames}) {
    const int line = EnglishLine(row, key);
    if (line >= 0) return Text({row, line});
  }
  return std::string(key);
}

std::string ToolTexts::ValueWord(std::string_view word) const {
  const int line = EnglishLine(tool_text::kValueWords, word);
  return line >= 0 ? Text({tool_text::kValueWords, line}) : std::string(word);
}

std::string FillIn(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  auto next = values.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
      if (next != values.end()) out += *next++;
      ++i;
    } else if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') {
      out.push_back('%');
      ++i;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::string ConsoleSafe(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace pellam_card
