#include "tools/pellam_card/command_line.h"

#include <algorithm>
#include <cctype>

#include "app/core/entry_checks.h"
#include "cardlib/key_build.h"

namespace pellam_card {

namespace {

const std::vector<OptionSpec> kCommonOptions = {
    {"--port", "PORT",
     "the reader's port: a COM name (COM3) or an absolute device path; found as the program "
     "finds it when not given"},
    {"--json", nullptr, "machine-readable results on standard output"},
    {"--admin-card-first", nullptr, "ask for the administrator card and wait for Enter before reading it"},
    {"--help", nullptr, "this text"},
    {"--version", nullptr, "the program's version, and whether this build carries the development keys"},
};

const std::vector<CommandSpec> kCommands = {
    {"sense", "", "the card on the reader: its kind and identifier", {{"--wait", nullptr, "wait for a card"}}, 0, 0},
    {"show", "", "the card's fields decoded", {{"--reveal", nullptr, "show the password and the PIN"}}, 0, 0},
    {"issue",
     "",
     "issue the cards of a batch file, one blank card per row",
     {{"--batch", "FILE.csv", "the rows to issue (required)"},
      {"--report", "OUT.csv", "one result row per input row, written as each is known"},
      {"--resume", nullptr, "skip the rows the report already marks issued"},
      {"--check", nullptr, "only check the rows; no card is asked for"},
      {"--confirm", nullptr,
       "answer OK to the Issue dialog's questions (re-issue of a listed user ID, "
       "lock-out count 0)"}},
     0,
     0},
    {"verify-pin", "[PIN]", "check a PIN against the user-ID card (read from standard input when not given)", {}, 0, 1},
    {"unlock", "", "reset the count of failed PIN attempts of a user-ID card", {}, 0, 0},
    {"initialise",
     "",
     "return a card to blank",
     {{"--delete-id", nullptr, "also delete its user ID from the user-ID list"}},
     0,
     0},
    {"charges", "", "the card's charges, upper limit, expiry date and transaction status", {}, 0, 0},
    {"charge",
     "[AMOUNT]",
     "add AMOUNT (1..99999) to the prepaid balance, or set the upper limit or the transaction status",
     {{"--user", "TEXT", "charge the user charge instead, with this text (1..16 bytes)"},
      {"--date", "YYYY-MM-DD", "the user charge's date (today when not given)"},
      {"--limit", "N", "set the charge upper limit (0..99999, 0 = none)"},
      {"--status", "N", "set the transaction status byte (0..255)"}},
     0,
     1},
    {"expiry", "[DATE]", "the expiry date; with DATE (YYYY-MM-DD, or 0-0-0 for none) it is written", {}, 0, 1},
};

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, const std::string& name) {
  const auto found =
      std::find_if(options.begin(), options.end(), [&name](const OptionSpec& option) { return name == option.name; });
  return found == options.end() ? nullptr : &*found;
}

void AppendOptions(std::string& text, const std::vector<OptionSpec>& options, const char* indent) {
  for (const OptionSpec& option : options) {
    std::string left = std::string(indent) + option.name + (option.value ? std::string(" ") + option.value : "");
    left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
    text += left + option.help + "\n";
  }
}

}  // namespace

std::string Invocation::Value(const std::string& name) const {
  const auto found = options.find(name);
  return found == options.end() ? std::string() : found->second;
}

const std::vector<CommandSpec>& Commands() { return kCommands; }
const std::vector<OptionSpec>& CommonOptions() { return kCommonOptions; }

std::optional<Invocation> ParseCommandLine(const std::vector<std::string>& args, std::string& error) {
  Invocation invocation;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      const OptionSpec* option = FindOption(kCommonOptions, name);
      if (option == nullptr && invocation.command != nullptr) option = FindOption(invocation.command->options, name);
      if (option == nullptr) {
        error = "unknown option " + name;
        return std::nullopt;
      }
      std::string value;
      if (option->value != nullptr) {
        if (equals != std::string::npos) {
          value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          error = name + " needs " + option->value;
          return std::nullopt;
        }
      } else if (equals != std::string::npos) {
        error = name + " takes no value";
        return std::nullopt;
      }
      invocation.options[name] = value;
    } else if (invocation.command == nullptr) {
      const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                      [&arg](const CommandSpec& command) { return arg == command.name; });
      if (found == kCommands.end()) {
        error = "unknown command " + arg;
        return std::nullopt;
      }
      invocation.command = &*found;
    } else {
      invocation.operands.push_back(arg);
    }
  }
  if (invocation.Has("--help") || invocation.Has("--version")) return invocation;
  if (invocation.command == nullptr) {
    error = "no command given";
    return std::nullopt;
  }
  const int operands = static_cast<int>(invocation.operands.size());
  if (operands < invocation.command->least_operands || operands > invocation.command->most_operands) {
    error = std::string("wrong number of operands for ") + invocation.command->name;
    return std::nullopt;
  }
  return invocation;
}

bool ReaderPortPath(const std::string& given, std::string& path) {
  const auto letter = [&given](std::size_t i) { return std::toupper(static_cast<unsigned char>(given[i])); };
  const bool com_name = given.size() > 3 && given.size() <= 6 && letter(0) == 'C' && letter(1) == 'O' &&
                        letter(2) == 'M' && pellam::AllDigits(given.substr(3));
  if (com_name) {
    path = "\\\\.\\COM" + given.substr(3);
    return true;
  }
  const bool drive = given.size() > 2 && std::isalpha(static_cast<unsigned char>(given[0])) && given[1] == ':' &&
                     (given[2] == '\\' || given[2] == '/');
  if (given.empty() || !(given[0] == '/' || given[0] == '\\' || drive)) return false;
  path = given;
  return true;
}

std::string HelpText() {
  std::string text =
      "usage: pellam-card COMMAND [OPTIONS]\n\n"
      "Works in the current directory like the issuing program: its language files, UserIDList.csv and\n"
      "UserCardProcessLog.csv. Commands that change a card first read the administrator card and require\n"
      "membership of the Administrators group.\n\ncommands:\n";
  for (const CommandSpec& command : kCommands) {
    std::string left =
        std::string("  ") + command.name + (*command.operands ? std::string(" ") + command.operands : "");
    left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
    text += left + command.summary + "\n";
    AppendOptions(text, command.options, "      ");
  }
  text += "\noptions of every command:\n";
  AppendOptions(text, kCommonOptions, "  ");
  text +=
      "\nexit status:\n"
      "  0  everything asked for succeeded\n"
      "  1  start-up failed (language files, Administrators group, user-ID list)\n"
      "  2  refused input: usage, or rows or values refused by the checks (nothing written for them)\n"
      "  3  the reader or a card failed\n"
      "  4  stopped by the operator (Ctrl-C or end of input) before everything was done\n";
  return text;
}

std::string VersionText() {
  std::string text = "pellam-card " PELLAM_VERSION "\n";
  if (corvex::kDevelopmentKeysBuild) {
    text += "This build carries the development keys, which everyone has: it must not be used at a site.\n";
  }
  return text;
}

}  // namespace pellam_card
