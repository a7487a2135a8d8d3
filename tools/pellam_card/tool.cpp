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
  std::string error;
  std::optional<Invocation> invocation = ParseCommandLine(args, error);
  if (invocation && invocation->Has("--port") &&
      !ReaderPortPath(invocation->Value("--port"), invocation->options["--port"])) {
    invocation.reset();
    error = "--port takes a COM name (COM3) or an absolute device path (/dev/ttyUSB0)";
  }
  if (!invocation) {
    services.console.Err("pellam-card: " + error + "\n(pellam-card --help lists the commands)\n");
    return kExitRefused;
  }
  if (invocation->Has("--help")) {
    services.console.Out(HelpText());
    return kExitOk;
  }
  if (invocation->Has("--version")) {
    services.console.Out(VersionText());
    return kExitOk;
  }
  if (!EnterDataFolder(*invocation, error)) {
    services.console.Err("pellam-card: " + error + "\n");
    return kExitStartup;
  }
  ToolSession session(services, *invocation);
  for (const CommandRun& command : kRuns) {
    if (invocation->command->name == std::string(command.name)) return command.run(session);
  }
  return kExitRefused;
}

}  // namespace pellam_card
