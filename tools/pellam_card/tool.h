// pellam-card: the card work of the issuing program from a terminal. This is
// the portable entry point; main.cpp only supplies the real console.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cardlib/cipher/secret_text.h"

namespace pellam_card {

// Exit statuses.
inline constexpr int kExitOk = 0;           // everything asked for succeeded
inline constexpr int kExitStartup = 1;      // language files, group check or user-ID list failed
inline constexpr int kExitRefused = 2;      // usage, or input refused by the checks
inline constexpr int kExitCardFailure = 3;  // the reader or a card failed
inline constexpr int kExitStopped = 4;      // stopped by the operator before the end

// Where the tool talks to the operator.
class ToolConsole {
 public:
  virtual ~ToolConsole() = default;
  // Results (standard output) and everything else (standard error).
  virtual void Out(std::string_view text) = 0;
  virtual void Err(std::string_view text) = 0;
  virtual bool OutIsTerminal() = 0;
  // Asks the operator to lay a card on the reader.
  virtual void Prompt(std::string_view text) { Err(std::string(text) + "\n"); }
  // Ctrl-C, or the end of standard input while an operator is there to
  // end it: input that was at its end when the tool first looked (a
  // scheduled job, input from /dev/null) does not stop a wait for a card.
  virtual bool StopRequested() = 0;
  virtual void Pause(std::uint32_t milliseconds) = 0;
  // One line typed by the operator; false at the end of input.
  virtual bool ReadLine(std::string& line) = 0;
  // A secret line (a PIN) into wiping storage: typed on the terminal after
  // `prompt` with its echo off, or with `from_input` one line of standard
  // input as it is. A console without input answers Ended.
  enum class SecretRead { Read, Ended, NoTerminal };
  virtual SecretRead ReadSecret(corvex::SecretText&, bool /*from_input*/, std::string_view /*prompt*/) {
    return SecretRead::Ended;
  }
  // A steady clock in seconds, for the time left.
  virtual double Seconds() = 0;
};

struct ToolServices {
  ToolConsole& console;
  // 0 when the account is a member of "Administrators".
  std::function<std::int32_t()> check_administrators;
  std::uint32_t locale_id;
};

// Runs one command line (without the program name); the exit status.
int RunPellamCard(const std::vector<std::string>& args, ToolServices& services);

}  // namespace pellam_card
