// The simulator's state file: the deck of cards, the card on the reader and
// the reader's key state, as JSON. It is rewritten whole after every change
// (a new file beside it, flushed, then renamed over the old one), so a reader
// of the file always sees one complete state.
//
// {
//   "reader": { "provisioned": true, "session_keys": ["0123...", ...],
//               "slots": { "0": "C0C0...", ... } },
//   "on_reader": "admin",                       (or null)
//   "cards": { "admin": { "idm": "...", "pmm": "...", "system_code": "8165",
//                         "keys": ["C0C0...", ... 11 keys],
//                         "blocks": [[32 hex digits per block, ...], ... 5 pairs] } }
// }
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "readersim/world.h"

namespace readersim {

nlohmann::json CardToJson(const Card& card);
// Throws std::runtime_error on a malformed card.
Card CardFromJson(const nlohmann::json& json);

// Decoded fields of a card, by the card layout's field table.
nlohmann::json DecodeCard(const Card& card);

nlohmann::json WorldToJson(const World& world);
// Replaces the deck and the reader key state; throws on a malformed file.
void WorldFromJson(const nlohmann::json& json, World& world);

// Loads the file when it exists; false (with `error`) when it cannot be read.
bool LoadState(const std::string& path, World& world, std::string& error);
// Atomically replaces the file (a side file renamed over it, so a reader or a
// killed simulator never leaves half a file); false (with `error`) on
// failure. It is not forced to the disk: the state has to outlive the
// simulator, not the machine, and a flush on every change would put the
// disk's latency into the line timing of the replies.
bool SaveState(const std::string& path, const World& world, std::string& error);

}  // namespace readersim
