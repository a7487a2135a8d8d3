// Everything the simulated reader knows: its keys, its key slots, the deck of
// cards (one of which may lie on it), the faults waiting to happen and the
// statistics of what the host sent.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "readersim/card.h"
#include "readersim/keys.h"

namespace readersim {

inline constexpr int kReaderKeySlots = 16;

struct ReaderKeyState {
  bool provisioned = true;                                   // false: key state 00 00 00, clear authentication only
  std::array<Block8, 3> session{};                           // S1..S3 held by a provisioned reader
  std::array<std::optional<Block8>, kReaderKeySlots> slots;  // registered card keys
};

struct Deck {
  std::map<std::string, Card> cards;
  std::optional<std::string> on_reader;

  // The card lying on the reader, if any.
  Card* Present();
};

// Faults the control interface arms; each is used up as it happens.
struct Faults {
  int status80_frames = 0;       // answer this many frames with status 0x80, unprocessed
  int split_pieces = 0;          // next reply in this many pieces ...
  int split_pause_ms = 0;        // ... with this pause between them
  int delay_ms = 0;              // next reply this late
  bool no_reply = false;         // next frame gets no reply at all
  bool bad_sequence = false;     // next secured reply carries a wrong sequence number
  int remove_after_writes = -1;  // the card leaves after this many more Write commands
  bool write_fails = false;      // next Write is answered with failing status flags
  int next_sequence = -1;        // tests: the sequence number the next secured frame must carry
};

struct Stats {
  std::map<std::string, long> frames;    // "link", "reader", "card"
  std::map<std::string, long> commands;  // "link:07", "reader:81", "card:56", ...
  long bytes_in = 0;
  long bytes_out = 0;
  long sessions = 0;
  long authentication_failures = 0;
  std::vector<std::string> violations;
};

struct World {
  KeyConfig keys;
  ReaderKeyState reader;
  Deck deck;
  Faults faults;
  Stats stats;
  std::mt19937_64 random{std::random_device{}()};
  bool dirty = false;  // persistent state changed: the state file must be rewritten

  void Violation(std::string what) { stats.violations.push_back(std::move(what)); }
  Block8 RandomBlock();
};

}  // namespace readersim
