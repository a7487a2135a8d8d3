// Update and final of a run ("nopad": input must come in whole blocks by the
// final call). Whole blocks go straight from the input to the output; the
// one-block pending buffer only holds a block split across updates.
#include <algorithm>

#include "cardlib/cipher/cipher_context.h"

namespace corvex {

namespace {

// Update and final need a context initialised for the called direction.
CipherResult CheckRun(const CipherContext* context, CipherDirection direction) {
  if (context == nullptr) return CipherResult::BadContext;
  if (!context->initialised || context->run.direction != direction) return CipherResult::NotInitialised;
  return CipherResult::Ok;
}

CipherResult Update(CipherContext* context, CipherDirection direction, std::span<std::uint8_t> output,
                    std::size_t& output_length, std::span<const std::uint8_t> input) {
  output_length = 0;
  if (const CipherResult result = CheckRun(context, direction); result != CipherResult::Ok) return result;
  CipherRun& run = context->run;

  const std::size_t available = run.pending_count + input.size();
  if (available < kCipherBlockSize) {
    std::copy(input.begin(), input.end(), run.pending.begin() + run.pending_count);
    run.pending_count = available;
    return CipherResult::Ok;
  }
  const std::size_t due = available - available % kCipherBlockSize;
  if (output.size() < due) return CipherResult::OutputTooSmall;

  std::size_t consumed = 0;
  std::size_t written = 0;
  if (run.pending_count > 0) {
    consumed = kCipherBlockSize - run.pending_count;
    std::copy_n(input.begin(), consumed, run.pending.begin() + run.pending_count);
    run.mode->process_blocks(run, run.pending.data(), output.data(), 1);
    written = kCipherBlockSize;
  }
  const std::size_t blocks = (input.size() - consumed) / kCipherBlockSize;
  run.mode->process_blocks(run, input.data() + consumed, output.data() + written, blocks);
  consumed += blocks * kCipherBlockSize;
  written += blocks * kCipherBlockSize;

  run.pending_count = input.size() - consumed;
  std::copy(input.begin() + consumed, input.end(), run.pending.begin());
  output_length = written;
  return CipherResult::Ok;
}

// Nothing is ever written: without padding there is no last block to add.
CipherResult Final(CipherContext* context, CipherDirection direction, std::size_t& output_length) {
  output_length = 0;
  if (const CipherResult result = CheckRun(context, direction); result != CipherResult::Ok) return result;
  CipherRun& run = context->run;
  if (run.pending_count > 0) return CipherResult::PartialBlock;
  run.chain = run.vector;
  return CipherResult::Ok;
}

}  // namespace

CipherResult CipherEncryptUpdate(CipherContext* context, std::span<std::uint8_t> output, std::size_t& output_length,
                                 std::span<const std::uint8_t> input) {
  return Update(context, CipherDirection::Encrypt, output, output_length, input);
}

CipherResult CipherDecryptUpdate(CipherContext* context, std::span<std::uint8_t> output, std::size_t& output_length,
                                 std::span<const std::uint8_t> input) {
  return Update(context, CipherDirection::Decrypt, output, output_length, input);
}

CipherResult CipherEncryptFinal(CipherContext* context, std::span<std::uint8_t> /*output*/,
                                std::size_t& output_length) {
  return Final(context, CipherDirection::Encrypt, output_length);
}

CipherResult CipherDecryptFinal(CipherContext* context, std::span<std::uint8_t> /*output*/,
                                std::size_t& output_length) {
  return Final(context, CipherDirection::Decrypt, output_length);
}

}  // namespace corvex
