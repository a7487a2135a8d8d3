// A test hook inside the file layer: it makes a chosen read, write,
// truncation, flush or removal fail, so that tests can check what the code
// above does at every point where a file operation can go wrong.
//
// Disarmed (the default) it only counts operations and written bytes. Tests
// and benchmarks arm and read it through this header; no product library
// exports it, and nothing in the libraries calls the arming functions. It is
// compiled only into test builds (PELLAM_TEST_HOOKS); elsewhere the system
// sources' calls below reduce to the operations themselves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file.h"

namespace platform::file_faults {

enum class Op { Read, Write, Truncate, Flush, Remove };

// What the system sources do with the operation they are about to make.
enum class Verdict {
  Proceed,       // do it
  Fail,          // report failure without touching the file
  TornThenFail,  // write the first half, then report failure
  TornThenExit,  // write the first half, then call ExitNow()
};

#ifdef PELLAM_TEST_HOOKS

// Arming clears the counters; `n` counts from 1 (the next operation).

// The nth operation of kind `op` fails once. A failing write first stores the
// first half of its bytes, as a write cut short by a full disk does.
void FailNth(Op op, int n);

// The nth write stores half of its bytes and fails; from then on every write,
// truncation, flush and removal fails without any effect, as if the process
// had stopped at that write. Reads go on working.
void StopWritesFrom(int n);

// The nth write stores half of its bytes, then the process ends at once with
// `exit_code` (no destructors, no buffers flushed by the C library).
void ExitAtWrite(int n, int exit_code);

// Back to counting only; clears the counters.
void Disarm();

// Operations of kind `op` since the hook was last armed or disarmed.
int Count(Op op);

// Bytes handed to the system by writes since the hook was last armed or
// disarmed (including the stored half of a failing write).
std::uint64_t BytesWritten();

// Called by the system sources before each operation; counts it.
Verdict Check(Op op);

// Called by the system sources after bytes were written.
void RecordWritten(std::size_t bytes);

// Ends the process with the armed exit code.
[[noreturn]] void ExitNow();

// A system source's whole write of `size` bytes, run as the armed fault says:
// `write_all` is the source's own loop that writes every byte it is given.
bool Write(FileHandle file, const char* bytes, std::size_t size,
           bool (*write_all)(FileHandle file, const char* bytes, std::size_t size));

#else

inline Verdict Check(Op) { return Verdict::Proceed; }
inline void RecordWritten(std::size_t) {}
inline bool Write(FileHandle file, const char* bytes, std::size_t size,
                  bool (*write_all)(FileHandle file, const char* bytes, std::size_t size)) {
  return write_all(file, bytes, size);
}

#endif

}  // namespace platform::file_faults
