// The tool's own texts: prompts, progress, results, usage and its messages.
// They are looked up by id in the language file the program reads at
// start-up (the standard set, chosen by the system locale), so that the tool
// speaks the program's language. Several short texts of one kind share a row
// of the language file, one per line ("\n"), since the file's table has
// room for 200 rows only. "%s" in a text is filled in by the tool, in order.
// When the language files cannot be read, or the file lacks one of these
// rows (an older site file), the English text built in is used.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace pellam_card {

// A text: the row's id and the line within that row.
struct TextLine {
  // A row of one text is its own first line.
  constexpr TextLine(std::int32_t row_id, int row_line = 0) : id(row_id), line(row_line) {}  // NOLINT
  std::int32_t id;
  int line;
};

namespace tool_text {

inline constexpr std::int32_t kUsageFrame = 12000;     // "pellam-card: %s" and the hint to --help
inline constexpr std::int32_t kUsageErrors = 12001;    // the command line's problems
inline constexpr std::int32_t kFileErrors = 12002;     // batch file and report
inline constexpr std::int32_t kUnknownColumn = 12003;
inline constexpr std::int32_t kReportErrors = 12004;
inline constexpr std::int32_t kReportHoldsCards = 12005;
inline constexpr std::int32_t kRowChecks = 12006;
inline constexpr std::int32_t kResolvedIssued = 12007;
inline constexpr std::int32_t kResolvedInterrupted = 12008;
inline constexpr std::int32_t kPrompts = 12009;
inline constexpr std::int32_t kProgress = 12010;
inline constexpr std::int32_t kCheckSummary = 12011;
inline constexpr std::int32_t kIssueSummary = 12012;
inline constexpr std::int32_t kPinOnCommandLine = 12013;
inline constexpr std::int32_t kInputErrors = 12014;
inline constexpr std::int32_t kPinResults = 12015;
inline constexpr std::int32_t kValueChecks = 12016;
inline constexpr std::int32_t kChargeResults = 12017;
inline constexpr std::int32_t kDevelopmentKeys = 12018;
// The console's names of the fields and words that --json gives in English.
inline constexpr std::int32_t kCardFieldNames = 12036;
inline constexpr std::int32_t kChargeFieldNames = 12037;
inline constexpr std::int32_t kValueWords = 12038;
// The help's lines, in order, spread over these rows as they fit.
inline constexpr std::int32_t kFirstHelpRow = 12020;
inline constexpr std::int32_t kLastHelpRow = 12035;

inline constexpr TextLine kUnknownOption{kUsageErrors, 0};
inline constexpr TextLine kUnknownCommand{kUsageErrors, 1};
inline constexpr TextLine kNoCommand{kUsageErrors, 2};
inline constexpr TextLine kOperandCount{kUsageErrors, 3};
inline constexpr TextLine kNeedsValue{kUsageErrors, 4};
inline constexpr TextLine kTakesNoValue{kUsageErrors, 5};
inline constexpr TextLine kBadPort{kUsageErrors, 6};
inline constexpr TextLine kPinTwice{kUsageErrors, 7};

inline constexpr TextLine kCannotRead{kFileErrors, 0};
inline constexpr TextLine kQuoteNotClosed{kFileErrors, 1};
inline constexpr TextLine kNoHeader{kFileErrors, 2};
inline constexpr TextLine kTooManyFields{kFileErrors, 3};
inline constexpr TextLine kNotAReport{kFileErrors, 4};
inline constexpr TextLine kCannotWrite{kFileErrors, 5};

inline constexpr TextLine kNotTheBatchRow{kReportErrors, 0};
inline constexpr TextLine kNotOverwritten{kReportErrors, 1};
inline constexpr TextLine kReportNotWritten{kReportErrors, 2};

inline constexpr TextLine kBadCardUse{kRowChecks, 0};
inline constexpr TextLine kUserIdTwice{kRowChecks, 1};
inline constexpr TextLine kUseConfirm{kRowChecks, 2};
inline constexpr TextLine kPartlyWritten{kRowChecks, 3};
inline constexpr TextLine kCardIsWritten{kRowChecks, 4};

inline constexpr TextLine kPlaceBlankForId{kPrompts, 0};
inline constexpr TextLine kPlaceBlankForCode{kPrompts, 1};
inline constexpr TextLine kPlaceUserIdCard{kPrompts, 2};
inline constexpr TextLine kPlaceCard{kPrompts, 3};
inline constexpr TextLine kPlaceCardToInitialise{kPrompts, 4};
inline constexpr TextLine kThenPressEnter{kPrompts, 5};
inline constexpr TextLine kPinPrompt{kPrompts, 6};

inline constexpr TextLine kRowResult{kProgress, 0};
inline constexpr TextLine kCountedRowResult{kProgress, 1};
inline constexpr TextLine kTimeLeft{kProgress, 2};
inline constexpr TextLine kWithStatus{kProgress, 3};
// The results of the report's rows, as the console names them.
inline constexpr TextLine kIssued{kProgress, 4};
inline constexpr TextLine kRefused{kProgress, 5};
inline constexpr TextLine kFailed{kProgress, 6};
inline constexpr TextLine kInterrupted{kProgress, 7};

inline constexpr TextLine kInputEnded{kInputErrors, 0};
inline constexpr TextLine kNoTerminal{kInputErrors, 1};

inline constexpr TextLine kCardLibraryStatus{kValueChecks, 0};
inline constexpr TextLine kNumberRange{kValueChecks, 1};
inline constexpr TextLine kTheYear{kValueChecks, 2};
inline constexpr TextLine kTheMonth{kValueChecks, 3};
inline constexpr TextLine kTheDay{kValueChecks, 4};
inline constexpr TextLine kDateForm{kValueChecks, 5};
inline constexpr TextLine kChargeChoice{kValueChecks, 6};
inline constexpr TextLine kUserTextLength{kValueChecks, 7};

inline constexpr TextLine kUserCharge{kChargeResults, 0};
inline constexpr TextLine kPrepaid{kChargeResults, 1};
inline constexpr TextLine kUpperLimit{kChargeResults, 2};
inline constexpr TextLine kTransactionStatus{kChargeResults, 3};
inline constexpr TextLine kPastLimit{kChargeResults, 4};
inline constexpr TextLine kExpiryDate{kChargeResults, 5};

}  // namespace tool_text

// One built-in English text: a row of english_string.csv.
struct BuiltInText {
  std::int32_t id;
  const char* text;
};
const std::vector<BuiltInText>& BuiltInEnglish();
// The help's lines in English, as the rows kFirstHelpRow.. give them.
const std::vector<std::string>& BuiltInHelpLines();

class ToolTexts {
 public:
  // Reads the language file as the program's start-up chooses it (standard
  // set, `locale_id`); false when it cannot be read (English is used then).
  bool Load(std::uint32_t locale_id);

  // The whole row, or one line of it.
  std::string Row(std::int32_t id) const;
  std::string Text(TextLine line) const;
  // The text with each "%s" replaced by the next of `values` ("%%" is one %).
  std::string Format(TextLine line, std::initializer_list<std::string_view> values) const;
  // Every line of the help rows, in order.
  std::vector<std::string> HelpLines() const;
  // The console's name of the field that --json names `key`, and its word
  // for a value that --json gives as `word` ("blank", "(set)"); the key or
  // word itself when the tool has no text for it.
  std::string FieldName(std::string_view key) const;
  std::string ValueWord(std::string_view word) const;

 private:
  std::vector<char> rows_;
  std::int32_t row_count_ = 0;
};

// Fills "%s" with `values` in order; a "%s" without a value gives nothing.
std::string FillIn(std::string_view text, std::initializer_list<std::string_view> values);

// Control bytes (C0 and DEL: escape sequences, BEL, tab, line ends) as \xHH,
// so that text from a batch file or a card cannot drive the terminal.
std::string ConsoleSafe(std::string_view text);

}  // namespace pellam_card
