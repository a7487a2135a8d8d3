#include "platform/file_faults.h"

#include <array>
#include <atomic>
#include <cstdlib>

namespace platform::file_faults {

namespace {

enum class Mode { Off, FailOnce, StopFrom, ExitAt };

constexpr std::size_t kOpKinds = 5;

// The hook's whole state. Only tests arm it, from one thread; the counters
// are atomic because every file operation of the process updates them.
struct Plan {
  std::atomic<Mode> mode{Mode::Off};
  Op op = Op::Write;
  int n = 0;
  int exit_code = 0;
  std::atomic<bool> stopped{false};
  std::array<std::atomic<int>, kOpKinds> counts{};
  std::atomic<std::uint64_t> written{0};
};

Plan& State() {
  static Plan plan;
  return plan;
}

void Arm(Mode mode, Op op, int n, int exit_code) {
  Plan& plan = State();
  plan.mode = Mode::Off;
  plan.op = op;
  plan.n = n;
  plan.exit_code = exit_code;
  plan.stopped = false;
  for (std::atomic<int>& count : plan.counts) count = 0;
  plan.written = 0;
  plan.mode = mode;
}

bool Mutates(Op op) { return op != Op::Read; }

}  // namespace

void FailNth(Op op, int n) { Arm(Mode::FailOnce, op, n, 0); }

void StopWritesFrom(int n) { Arm(Mode::StopFrom, Op::Write, n, 0); }

void ExitAtWrite(int n, int exit_code) { Arm(Mode::ExitAt, Op::Write, n, exit_code); }

void Disarm() { Arm(Mode::Off, Op::Write, 0, 0); }

int Count(Op op) { return State().counts[static_cast<std::size_t>(op)]; }

std::uint64_t BytesWritten() { return State().written; }

Verdict Check(Op op) {
  Plan& plan = State();
  const int count = ++plan.counts[static_cast<std::size_t>(op)];
  const Mode mode = plan.mode;
  if (mode == Mode::Off) return Verdict::Proceed;
  if (plan.stopped) return Mutates(op) ? Verdict::Fail : Verdict::Proceed;
  if (op != plan.op || count != plan.n) return Verdict::Proceed;
  switch (mode) {
    case Mode::Off: break;
    case Mode::FailOnce: return op == Op::Write ? Verdict::TornThenFail : Verdict::Fail;
    case Mode::StopFrom: plan.stopped = true; return Verdict::TornThenFail;
    case Mode::ExitAt: return Verdict::TornThenExit;
  }
  return Verdict::Proceed;
}

void RecordWritten(std::size_t bytes) { State().written += bytes; }

void ExitNow() { std::_Exit(State().exit_code); }

bool Write(FileHandle file, const char* bytes, std::size_t size,
           bool (*write_all)(FileHandle file, const char* bytes, std::size_t size)) {
  switch (Check(Op::Write)) {
    case Verdict::Proceed: return write_all(file, bytes, size);
    case Verdict::Fail: return false;
    case Verdict::TornThenFail: write_all(file, bytes, size / 2); return false;
    case Verdict::TornThenExit: write_all(file, bytes, size / 2); ExitNow();
  }
  return false;
}

}  // namespace platform::file_faults
