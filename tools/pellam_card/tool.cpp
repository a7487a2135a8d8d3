#include "tools/pellam_card/tool.h"

#include "tools/pellam_card/command_line.h"
#include "tools/pellam_card/commands.h"
#include "tools/pellam_card/data_folder.h"

namespace pellam_card {

namespace {

struct CommandRun {
  const char* name;
  int (*run)(ToolSession&);
};

constexpr CommandRun kRuns[] = {
    {"sense", RunSense},          {"show", RunShow},     {"issue", RunIssue},
    {"verify-pin", RunVerifyPin}, {"unlock", RunUnlock}, {"initialise", RunInitialise},
    {"charges", RunCharges},      {"charge", RunCharge}, {"expiry", RunExpiry},
};

}  // namespace

int RunPellamCard(const std::vector<std::string>& args, ToolServices& services) {
  // The tool's texts in the program's language; English when the language
  // files cannot be read (the commands that need them then stop at their
  // start-up with the program's own message).
  ToolTexts texts;
  texts.Load(services.locale_id);
  std::string error;
  std::optional<Invocation> invocation = ParseCommandLine(args, texts, error);
  if (invocation && invocation->Has("--port") &&
      !ReaderPortPath(invocation->Value("--port"), invocation->options["--port"])) {
    invocation.reset();
    error = texts.Text(tool_text::kBadPort);
  }
  if (invocation && invocation->command != nullptr && invocation->Has("--pin-stdin") && !invocation->operands.empty()) {
    invocation.reset();
    error = texts.Text(tool_text::kPinTwice);
  }
  if (!invocation) {
    services.console.Err(FillIn(texts.Row(tool_text::kUsageFrame), {error}) + "\n");
    return kExitRefused;
  }
  // In the data folder, whose language files then give the texts; help and
  // version are shown even when the recorded folder cannot be entered.
  const bool informational = invocation->Has("--help") || invocation->Has("--version");
  if (!EnterDataFolder(*invocation, error) && !informational) {
    services.console.Err("pellam-card: " + error + "\n");
    return kExitStartup;
  }
  texts.Load(services.locale_id);
  if (invocation->Has("--help")) {
    services.console.Out(HelpText(texts));
    return kExitOk;
  }
  if (invocation->Has("--version")) {
    services.console.Out(VersionText(texts));
    return kExitOk;
  }
  ToolSession session(services, *invocation, texts);
  for (const CommandRun& command : kRuns) {
    if (invocation->command->name == std::string(command.name)) return command.run(session);
  }
  return kExitRefused;
}

}  // namespace pellam_card
