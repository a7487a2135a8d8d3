// pellam-card: the real console behind the tool's portable core.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/startup.h"
#include "platform/console.h"
#include "platform/locale.h"
#include "platform/sleep.h"
#include "tools/pellam_card/tool.h"

namespace {

class StandardConsole final : public pellam_card::ToolConsole {
 public:
  void Out(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  void Err(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
  bool OutIsTerminal() override { return platform::IsTerminal(platform::StandardStream::Output); }
  bool StopRequested() override { return platform::InterruptRequested() || platform::StandardInputEnded(); }
  void Pause(std::uint32_t milliseconds) override { platform::SleepMilliseconds(milliseconds); }
  bool ReadLine(std::string& line) override { return platform::ReadStandardInputLine(line); }
  double Seconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
};

}  // namespace

int main(int argc, char** argv) {
  platform::CatchInterrupt();
  StandardConsole console;
  pellam_card::ToolServices services{console, pellam::CheckAdministrators, platform::SystemDefaultLocaleId()};
  return pellam_card::RunPellamCard(std::vector<std::string>(argv + 1, argv + argc), services);
}
