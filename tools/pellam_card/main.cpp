// pellam-card: the real console behind the tool's portable core.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/startup.h"
#include "cardlib/cipher/secure_wipe.h"
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
  bool StopRequested() override {
    if (platform::InterruptRequested()) return true;
    const bool ended = platform::StandardInputEnded();
    if (!input_looked_at_) {
      input_looked_at_ = true;
      input_closed_from_start_ = ended;
    }
    return ended && !input_closed_from_start_;
  }
  void Pause(std::uint32_t milliseconds) override { platform::SleepMilliseconds(milliseconds); }
  bool ReadLine(std::string& line) override { return platform::ReadStandardInputLine(line); }
  SecretRead ReadSecret(corvex::SecretText& secret, bool from_input, std::string_view prompt) override {
    if (!from_input) {
      if (!platform::IsTerminal(platform::StandardStream::Input)) return SecretRead::NoTerminal;
      Err(prompt);
    }
    char line[256];
    const corvex::ScopedWipe line_wipe(line, sizeof line);
    std::size_t length = 0;
    switch (platform::ReadSecretLine(line, sizeof line, length, !from_input)) {
      case platform::LineRead::Read: break;
      case platform::LineRead::Ended: return SecretRead::Ended;
      case platform::LineRead::NoTerminal: return SecretRead::NoTerminal;
    }
    secret.Assign(std::string_view(line, length));
    return SecretRead::Read;
  }
  double Seconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

 private:
  bool input_looked_at_ = false;
  bool input_closed_from_start_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  platform::CatchInterrupt();
  StandardConsole console;
  pellam_card::ToolServices services{console, pellam::CheckAdministrators, platform::SystemDefaultLocaleId()};
  return pellam_card::RunPellamCard(std::vector<std::string>(argv + 1, argv + argc), services);
}
