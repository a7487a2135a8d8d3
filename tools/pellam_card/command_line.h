// The command line as tables: the commands, each with its own options and
// the number of operands it takes, and the options every command accepts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/pellam_card/tool_texts.h"

namespace pellam_card {

// What the help says of each comes from the help's lines (tool_texts.h), in
// the order of these tables.
struct OptionSpec {
  const char* name;   // "--port"
  const char* value;  // the value's name in the help, or nullptr for a flag
};

struct CommandSpec {
  const char* name;
  const char* operands;  // as the help shows them
  std::vector<OptionSpec> options;
  int least_operands;
  int most_operands;
};

struct Invocation {
  const CommandSpec* command = nullptr;
  std::map<std::string, std::string> options;  // name -> value ("" for a flag)
  std::vector<std::string> operands;

  bool Has(const std::string& name) const { return options.count(name) != 0; }
  std::string Value(const std::string& name) const;
};

const std::vector<CommandSpec>& Commands();
const std::vector<OptionSpec>& CommonOptions();

// The invocation, or nullopt with `error` set. "--help" alone, or with a
// command, gives an invocation whose options hold "--help"; likewise
// "--version". An option's value never starts with "--" unless it is given
// as --name=value: the next option is not taken for a missing value.
std::optional<Invocation> ParseCommandLine(const std::vector<std::string>& args, const ToolTexts& texts,
                                           std::string& error);

// The path the card library opens for `--port`: a COM name ("COM3", any
// case) as "\\.\COM3", the only form that opens COM10 and above; an
// absolute path ("/dev/ttyUSB0", "\\.\COM3", "C:\...") unchanged. False for
// anything else.
bool ReaderPortPath(const std::string& given, std::string& path);

// The whole help text, with the exit statuses.
std::string HelpText(const ToolTexts& texts);

// The version (the program's version resource's), and a warning line when
// the build carries the development keys.
std::string VersionText(const ToolTexts& texts);

}  // namespace pellam_card
