// Times one complete user-ID card issue through the card library against the
// reader simulator with line timing (every frame and reply takes the time it
// would need on the wire at 11 bits per byte): open, sense, card type, the
// eight writes of an issue, close. Prints the frames and bytes each way that
// the simulator counted, the elapsed time, the wire time those bytes need
// (the link's first two exchanges run at 9600 bit/s, the rest at 115200) and
// the ratio of the two. A ratio near 1.0 means the library adds almost
// nothing to the wire's own time.
//
//   card_issue_bench [REPEATS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cardlib/Corvex.h"
#include "tests/support/simulator_process.h"
#include "tests/support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kBitsPerByte = 11.0;
constexpr double kIdleSpeed = 9600.0;
constexpr double kWorkingSpeed = 115200.0;
// Bytes that cross at 9600 bit/s: reader check (9 out, 6 back) and the
// change to 115200 (8 out, 6 back).
constexpr long kIdleBytes = 9 + 6 + 8 + 6;

struct Figures {
  long frames = 0;
  long bytes_out = 0;  // library to reader
  long bytes_in = 0;   // reader to library
  double elapsed_ms = 0;
  double wire_ms = 0;
};

bool Check(std::int32_t status, const char* call) {
  if (status == CORVEX_OK) return true;
  std::fprintf(stderr, "%s: status 0x%X, detail 0x%X\n", call, static_cast<unsigned>(status),
               static_cast<unsigned>(GenGetLastErrorDetail()));
  return false;
}

// The issue itself, as the issuing program calls it.
bool Issue(const std::string& port) {
  const std::string user_id = "user0001";
  const std::string password = "pass-word-0001";
  const std::string admin_id = "ADMIN01";
  const std::string pin = "4711";
  const std::string name = "Example User";
  const std::string comment = "issued by the benchmark";
  const std::uint8_t code[4] = {0x00, 0x00, 0x30, 0x39};
  const std::uint8_t system_code[2] = {0x81, 0x65};
  std::int32_t present = 0;
  std::int32_t type = -1;
  const auto length = [](const std::string& text) { return static_cast<std::int32_t>(text.size()); };
  return Check(GenOpenDevice(nullptr, port.c_str()), "GenOpenDevice") &&
         Check(GenSenseCard(&present, system_code, 1), "GenSenseCard") && present == 1 &&
         Check(GenGetCardType(&type), "GenGetCardType") && type == CORVEX_CARD_BLANK &&
         Check(GenSetAllKey(), "GenSetAllKey") &&
         Check(GenWriteUserAccount(user_id.data(), length(user_id), password.data(), length(password)),
               "GenWriteUserAccount") &&
         Check(GenWriteAdminIdToUser(admin_id.data(), length(admin_id)), "GenWriteAdminIdToUser") &&
         Check(GenWriteRetryLimit(3), "GenWriteRetryLimit") &&
         Check(GenWritePIN(pin.data(), length(pin)), "GenWritePIN") &&
         Check(GenWriteUserName(name.data(), length(name)), "GenWriteUserName") &&
         Check(GenWriteCommentToUser(comment.data(), length(comment)), "GenWriteCommentToUser") &&
         Check(GenWriteUserCode(code, 4), "GenWriteUserCode") &&
         Check(GenWriteIssueInfo(1, 2026, 12, 6), "GenWriteIssueInfo") && Check(GenCloseDevice(), "GenCloseDevice");
}

bool RunOnce(const testing_support::SimulatorProcess& sim, int round, Figures& figures) {
  const std::string card = "card" + std::to_string(round);
  if (!sim.Do("create " + card + " blank") || !sim.Do("place " + card) || !sim.Do("stats reset")) return false;
  const Clock::time_point start = Clock::now();
  if (!Issue(sim.link())) return false;
  figures.elapsed_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const nlohmann::json stats = sim.Stats();
  for (const auto& [kind, count] : stats["frames"].items()) figures.frames += count.get<long>();
  figures.bytes_out = stats["bytes_in"].get<long>();
  figures.bytes_in = stats["bytes_out"].get<long>();
  if (!stats["violations"].empty()) {
    std::fprintf(stderr, "protocol violations: %s\n", stats["violations"].dump().c_str());
    return false;
  }
  const long fast_bytes = figures.bytes_out + figures.bytes_in - kIdleBytes;
  figures.wire_ms = 1000.0 * kBitsPerByte * (kIdleBytes / kIdleSpeed + fast_bytes / kWorkingSpeed);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  testing_support::TempDir dir;
  testing_support::SimulatorProcess sim(READERSIM_PATH, dir.path().string(), {"--line-timing"});
  if (!sim.ok()) {
    std::fprintf(stderr, "the simulator did not start\n");
    return 1;
  }
  std::printf("one user-ID card issue (open, sense, type, 8 writes, close) over readersim --line-timing\n");
  std::printf("%5s %7s %10s %10s %11s %9s %7s\n", "run", "frames", "bytes out", "bytes in", "elapsed ms", "wire ms",
              "ratio");
  std::vector<double> ratios;
  for (int round = 1; round <= repeats; ++round) {
    Figures f;
    if (!RunOnce(sim, round, f)) {
      std::fprintf(stderr, "run %d failed\n", round);
      return 1;
    }
    ratios.push_back(f.elapsed_ms / f.wire_ms);
    std::printf("%5d %7ld %10ld %10ld %11.1f %9.1f %7.3f\n", round, f.frames, f.bytes_out, f.bytes_in, f.elapsed_ms,
                f.wire_ms, ratios.back());
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("median ratio %.3f\n", ratios[ratios.size() / 2]);
  return 0;
}
