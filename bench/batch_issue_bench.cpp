// Times a batch issue of 50 user-ID cards by pellam-card (its portable core,
// in-process) against the reader simulator with line timing. The card swaps
// are scripted at zero delay: each prompt for a blank card lays a new one on
// the reader at once. For every card it counts the time from the card being
// laid to the prompt for the next one (the waits for the control commands
// left out) and the bytes and frames that crossed the line meanwhile; it
// prints the bytes' wire time at 115200 bit/s and 11 bits per byte beside it,
// and what is left over per frame exchanged.
//
//   batch_issue_bench [CARDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"
#include "tools/pellam_card/tool.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 11.0;
constexpr double kWorkingSpeed = 115200.0;

class BenchConsole final : public pellam_card::ToolConsole {
 public:
  explicit BenchConsole(const testing_support::SimulatorProcess& sim) : sim_(sim) {}

  void Out(std::string_view) override {}
  void Err(std::string_view) override {}
  bool OutIsTerminal() override { return false; }
  void Prompt(std::string_view text) override {
    const Clock::time_point now = Clock::now();
    const Counts counts = Read();
    if (text.find("administrator card") != std::string_view::npos) {
      sim_.Do("place boss");
    } else if (text.find("blank card") != std::string_view::npos) {
      if (card_laid_) EndCard(now, counts);
      std::string name = "c";
      name += std::to_string(++cards_);
      sim_.Do("create " + name + " blank");
      sim_.Do("place " + name);
      // The simulator saves its whole deck after every change: the cards
      // done are dropped so that its size, and that cost, stay the same.
      if (cards_ > 1) sim_.Do("delete c" + std::to_string(cards_ - 1));
      card_laid_ = true;
      at_laying_ = Read();
      laid_ = Clock::now();
    }
  }
  // The end of the last card: the batch has closed the reader.
  void EndLastCard() {
    const Clock::time_point now = Clock::now();
    EndCard(now, Read());
  }
  bool StopRequested() override { return false; }
  void Pause(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  bool ReadLine(std::string&) override { return false; }
  double Seconds() override { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }

  std::vector<double> elapsed_ms;
  std::vector<long> card_bytes;
  std::vector<long> card_frames;

 private:
  struct Counts {
    long bytes = 0;
    long frames = 0;
  };
  Counts Read() const {
    const nlohmann::json stats = sim_.Stats();
    Counts counts{stats["bytes_in"].get<long>() + stats["bytes_out"].get<long>(), 0};
    for (const auto& kind : stats["frames"]) counts.frames += kind.get<long>();
    return counts;
  }
  void EndCard(Clock::time_point now, const Counts& counts) {
    elapsed_ms.push_back(std::chrono::duration<double, std::milli>(now - laid_).count());
    card_bytes.push_back(counts.bytes - at_laying_.bytes);
    card_frames.push_back(counts.frames - at_laying_.frames);
  }

  const testing_support::SimulatorProcess& sim_;
  int cards_ = 0;
  bool card_laid_ = false;
  Counts at_laying_;
  Clock::time_point laid_;
};

void WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  const int cards = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  testing_support::TempDir dir;
  testing_support::TempDir sim_dir;
  testing_support::SimulatorProcess sim(READERSIM_PATH, sim_dir.path().string(), {"--line-timing"});
  if (!sim.ok() || !sim.Do("create boss admin ADMIN01")) {
    std::fprintf(stderr, "the simulator did not start\n");
    return 1;
  }
  testing_support::ScopedCurrentDir current(dir.path());
  for (const char* name : {"VelLang.csv", "english_string.csv", "japanese_string.csv"}) {
    std::FILE* in = std::fopen((std::string(PELLAM_LANG_DIR) + "/" + name).c_str(), "rb");
    std::string bytes;
    char chunk[4096];
    for (std::size_t got; in != nullptr && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
      bytes.append(chunk, got);
    if (in != nullptr) std::fclose(in);
    WriteFile(name, bytes);
  }
  std::filesystem::create_directory("backup");
  WriteFile("UserIDList.csv", "");
  WriteFile("UserCardProcessLog.csv", "");
  std::string batch = "user_id,password,pin,lockout,user_name,comment,user_code\r\n";
  for (int i = 1; i <= cards; ++i) {
    const std::string n = std::to_string(1000 + i);
    batch += "user" + n + ",pass-word-" + n + ",4711,3,Example User " + n + ",issued by the benchmark," + n + "\r\n";
  }
  WriteFile("batch.csv", batch);

  BenchConsole console(sim);
  pellam_card::ToolServices services{console, [] { return 0; }, 0x0409};
  const Clock::time_point start = Clock::now();
  const int status = pellam_card::RunPellamCard({"issue", "--batch", "batch.csv", "--port", sim.link()}, services);
  const double total_s = std::chrono::duration<double>(Clock::now() - start).count();
  if (status != pellam_card::kExitOk) {
    std::fprintf(stderr, "the batch ended with status %d\n", status);
    return 1;
  }
  console.EndLastCard();

  std::printf("batch of %d user-ID cards by pellam-card over readersim --line-timing, card swaps at zero delay\n",
              cards);
  std::printf("%5s %7s %7s %11s %9s %7s\n", "card", "frames", "bytes", "elapsed ms", "wire ms", "ratio");
  std::vector<double> elapsed = console.elapsed_ms;
  double sum_elapsed = 0;
  double sum_wire = 0;
  long sum_frames = 0;
  for (std::size_t i = 0; i < elapsed.size(); ++i) {
    const double wire_ms = 1000.0 * kBitsPerByte * console.card_bytes[i] / kWorkingSpeed;
    sum_elapsed += elapsed[i];
    sum_wire += wire_ms;
    sum_frames += console.card_frames[i];
    if (i < 3 || i + 1 == elapsed.size()) {
      std::printf("%5zu %7ld %7ld %11.1f %9.1f %7.3f\n", i + 1, console.card_frames[i], console.card_bytes[i],
                  elapsed[i], wire_ms, elapsed[i] / wire_ms);
    }
  }
  std::sort(elapsed.begin(), elapsed.end());
  std::printf("per card: mean %.1f ms, median %.1f ms; wire time %.1f ms; ratio %.3f\n", sum_elapsed / elapsed.size(),
              elapsed[elapsed.size() / 2], sum_wire / elapsed.size(), sum_elapsed / sum_wire);
  std::printf("beyond the wire: %.1f ms per card, %.3f ms per frame exchanged (%.1f frames per card)\n",
              (sum_elapsed - sum_wire) / elapsed.size(), (sum_elapsed - sum_wire) / sum_frames,
              static_cast<double>(sum_frames) / elapsed.size());
  std::printf("whole run (start-up, gate, %d cards, control commands) %.1f s\n", cards, total_s);
  return 0;
}
