#include "tools/pellam_card/command_line.h"

#include <algorithm>
#include <cctype>

#include "app/core/entry_checks.h"
#include "cardlib/key_build.h"

namespace pellam_card {

namespace {

const std::vector<OptionSpec> kCommonOptions = {
    {"--port", "PORT"},  {"--json", nullptr},    {"--admin-card-first", nullptr},
    {"--help", nullptr}, {"--version", nullptr},
};

const std::vector<CommandSpec> kCommands = {
    {"sense", "", {{"--wait", nullptr}}, 0, 0},
    {"show", "", {{"--reveal", nullptr}}, 0, 0},
    {"issue",
     "",
     {{"--batch", "FILE.csv"},
      {"--report", "OUT.csv"},
      {"--resume", nullptr},
      {"--check", nullptr},
      {"--confirm", nullptr}},
     0,
     0},
    {"verify-pin", "[PIN]", {{"--pin-stdin", nullptr}}, 0, 1},
    {"unlock", "", {}, 0, 0},
    {"initialise", "", {{"--delete-id", nullptr}}, 0, 0},
    {"charges", "", {}, 0, 0},
    {"charge", "[AMOUNT]", {{"--user", "TEXT"}, {"--date", "YYYY-MM-DD"}, {"--limit", "N"}, {"--status", "N"}}, 0, 1},
    {"expiry", "[DATE]", {}, 0, 1},
};

// The help's lines taken one after the other.
class HelpLines {
 public:
  explicit HelpLines(const ToolTexts& texts) : lines_(texts.HelpLines()) {}
  const std::string& Next() { return next_ < lines_.size() ? lines_[next_++] : empty_; }

 private:
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
  std::string empty_;
};

void AppendLine(std::string& text, std::string left, const std::string& help) {
  left.resize(std::max<std::size_t>(left.size() + 2, 26), ' ');
  text += left + help + "\n";
}

const OptionSpec* FindOption(const std::vector<OptionSpec>& options, const std::string& name) {
  const auto found =
      std::find_if(options.begin(), options.end(), [&name](const OptionSpec& option) { return name == option.name; });
  return found == options.end() ? nullptr : &*found;
}

void AppendOptions(std::string& text, const std::vector<OptionSpec>& options, const char* indent, HelpLines& help) {
  for (const OptionSpec& option : options) {
    AppendLine(text, std::string(indent) + option.name + (option.value ? std::string(" ") + option.value : ""),
               help.Next());
  }
}

}  // namespace

std::string Invocation::Value(const std::string& name) const {
  const auto found = options.find(name);
  return found == options.end() ? std::string() : found->second;
}

const std::vector<CommandSpec>& Commands() { return kCommands; }
const std::vector<OptionSpec>& CommonOptions() { return kCommonOptions; }

std::optional<Invocation> ParseCommandLine(const std::vector<std::string>& args, const ToolTexts& texts,
                                           std::string& error) {
  Invocation invocation;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) == 0) {
      const std::size_t equals = arg.find('=');
      const std::string name = arg.substr(0, equals);
      const OptionSpec* option = FindOption(kCommonOptions, name);
      if (option == nullptr && invocation.command != nullptr) option = FindOption(invocation.command->options, name);
      if (option == nullptr) {
        error = texts.Format(tool_text::kUnknownOption, {name});
        return std::nullopt;
      }
      std::string value;
      if (option->value != nullptr) {
        if (equals != std::string::npos) {
          value = arg.substr(equals + 1);
        } else if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
          value = args[++i];
        } else {
          error = texts.Format(tool_text::kNeedsValue, {name, option->value});
          return std::nullopt;
        }
      } else if (equals != std::string::npos) {
        error = texts.Format(tool_text::kTakesNoValue, {name});
        return std::nullopt;
      }
      invocation.options[name] = value;
    } else if (invocation.command == nullptr) {
      const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                      [&arg](const CommandSpec& command) { return arg == command.name; });
      if (found == kCommands.end()) {
        error = texts.Format(tool_text::kUnknownCommand, {arg});
        return std::nullopt;
      }
      invocation.command = &*found;
    } else {
      invocation.operands.push_back(arg);
    }
  }
  if (invocation.Has("--help") || invocation.Has("--version")) return invocation;
  if (invocation.command == nullptr) {
    error = texts.Text(tool_text::kNoCommand);
    return std::nullopt;
  }
  const int operands = static_cast<int>(invocation.operands.size());
  if (operands < invocation.command->least_operands || operands > invocation.command->most_operands) {
    error = texts.Format(tool_text::kOperandCount, {invocation.command->name});
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

std::string HelpText(const ToolTexts& texts) {
  HelpLines help(texts);
  std::string text = help.Next() + "\n\n";
  text += help.Next() + "\n";
  text += help.Next() + "\n\n";
  text += help.Next() + "\n";
  for (const CommandSpec& command : kCommands) {
    AppendLine(text, std::string("  ") + command.name + (*command.operands ? std::string(" ") + command.operands : ""),
               help.Next());
    AppendOptions(text, command.options, "      ", help);
  }
  text += "\n" + help.Next() + "\n";
  AppendOptions(text, kCommonOptions, "  ", help);
  text += "\n" + help.Next() + "\n";
  for (int status = 0; status <= 4; ++status) text += "  " + std::to_string(status) + "  " + help.Next() + "\n";
  return text;
}

std::string VersionText(const ToolTexts& texts) {
  std::string text = "pellam-card " PELLAM_VERSION "\n";
  if (corvex::kDevelopmentKeysBuild) text += texts.Row(tool_text::kDevelopmentKeys) + "\n";
  return text;
}

}  // namespace pellam_card
