#include "readersim/state_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/file.h"
#include "readersim/wire.h"

namespace readersim {

namespace {

using nlohmann::json;

template <std::size_t N>
std::array<std::uint8_t, N> FromHex(const std::string& text) {
  if (text.size() != 2 * N) throw std::runtime_error("expected " + std::to_string(2 * N) + " hex digits: " + text);
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i) {
    unsigned value = 0;
    if (std::sscanf(text.c_str() + 2 * i, "%2x", &value) != 1) throw std::runtime_error("not hex: " + text);
    bytes[i] = static_cast<std::uint8_t>(value);
  }
  return bytes;
}

std::string TextOf(const Card& card, const FieldRow& field) {
  std::string text;
  for (int b = 0; b < field.block_count; ++b) {
    for (std::uint8_t byte : card.blocks[field.pair][field.first_block + b]) {
      if (byte == 0) return text;
      text += static_cast<char>(byte);
    }
  }
  return text;
}

std::vector<std::uint8_t> BytesOf(const Card& card, const FieldRow& field) {
  std::vector<std::uint8_t> bytes;
  for (int b = 0; b < field.block_count; ++b) {
    const Block16& block = card.blocks[field.pair][field.first_block + b];
    bytes.insert(bytes.end(), block.begin(), block.end());
  }
  return bytes;
}

}  // namespace

json CardToJson(const Card& card) {
  json keys = json::array();
  for (const Block8& key : card.keys) keys.push_back(Hex(key));
  json pairs = json::array();
  for (const auto& store : card.blocks) {
    json blocks = json::array();
    for (const Block16& block : store) blocks.push_back(Hex(block));
    pairs.push_back(blocks);
  }
  return {{"idm", Hex(card.idm)},
          {"pmm", Hex(card.pmm)},
          {"system_code", Hex(card.system_code)},
          {"keys", keys},
          {"blocks", pairs}};
}

Card CardFromJson(const json& j) {
  Card card;
  card.idm = FromHex<8>(j.at("idm").get<std::string>());
  card.pmm = FromHex<8>(j.at("pmm").get<std::string>());
  card.system_code = FromHex<2>(j.at("system_code").get<std::string>());
  const json& keys = j.at("keys");
  if (keys.size() != card.keys.size()) throw std::runtime_error("a card holds 11 keys");
  for (std::size_t k = 0; k < card.keys.size(); ++k) card.keys[k] = FromHex<8>(keys[k].get<std::string>());
  const json& pairs = j.at("blocks");
  if (pairs.size() != kPairCount) throw std::runtime_error("a card holds 5 block stores");
  for (int p = 0; p < kPairCount; ++p) {
    if (pairs[p].size() != static_cast<std::size_t>(kPairBlocks[p])) {
      throw std::runtime_error("block store " + std::to_string(p) + " holds " + std::to_string(kPairBlocks[p]) +
                               " blocks");
    }
    card.blocks[p].clear();
    for (const json& block : pairs[p]) card.blocks[p].push_back(FromHex<16>(block.get<std::string>()));
  }
  return card;
}

json DecodeCard(const Card& card) {
  json fields = json::object();
  for (const FieldRow& field : Fields()) {
    const std::vector<std::uint8_t> bytes = BytesOf(card, field);
    switch (field.kind) {
      case FieldKind::Text: fields[field.name] = TextOf(card, field); break;
      case FieldKind::Number16: fields[field.name] = bytes[0] | (bytes[1] << 8); break;
      case FieldKind::Date:
        fields[field.name] = {{"year", bytes[0] | (bytes[1] << 8)}, {"month", bytes[2]}, {"day", bytes[3]}};
        break;
      case FieldKind::Bytes: fields[field.name] = Hex(std::span(bytes).subspan(field.offset, field.size)); break;
    }
  }
  return {{"idm", Hex(card.idm)}, {"fields", fields}};
}

json WorldToJson(const World& world) {
  json session = json::array();
  for (const Block8& key : world.reader.session) session.push_back(Hex(key));
  json slots = json::object();
  for (int s = 0; s < kReaderKeySlots; ++s) {
    if (world.reader.slots[s]) slots[std::to_string(s)] = Hex(*world.reader.slots[s]);
  }
  json cards = json::object();
  for (const auto& [name, card] : world.deck.cards) cards[name] = CardToJson(card);
  return {{"reader", {{"provisioned", world.reader.provisioned}, {"session_keys", session}, {"slots", slots}}},
          {"on_reader", world.deck.on_reader ? json(*world.deck.on_reader) : json(nullptr)},
          {"cards", cards}};
}

void WorldFromJson(const json& j, World& world) {
  ReaderKeyState reader;
  const json& r = j.at("reader");
  reader.provisioned = r.at("provisioned").get<bool>();
  const json& session = r.at("session_keys");
  if (session.size() != 3) throw std::runtime_error("the reader holds 3 session keys");
  for (int k = 0; k < 3; ++k) reader.session[k] = FromHex<8>(session[k].get<std::string>());
  for (const auto& [slot, key] : r.at("slots").items()) {
    const int index = std::stoi(slot);
    if (index < 0 || index >= kReaderKeySlots) throw std::runtime_error("key slot out of range: " + slot);
    reader.slots[index] = FromHex<8>(key.get<std::string>());
  }
  Deck deck;
  for (const auto& [name, card] : j.at("cards").items()) deck.cards[name] = CardFromJson(card);
  if (!j.at("on_reader").is_null()) {
    deck.on_reader = j.at("on_reader").get<std::string>();
    if (!deck.cards.count(*deck.on_reader)) throw std::runtime_error("the card on the reader is not in the deck");
  }
  world.reader = reader;
  world.deck = std::move(deck);
}

bool LoadState(const std::string& path, World& world, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;  // no file yet: start from what the world holds
  try {
    WorldFromJson(json::parse(in), world);
  } catch (const std::exception& e) {
    error = path + ": " + e.what();
    return false;
  }
  return true;
}

bool SaveState(const std::string& path, const World& world, std::string& error) {
  const std::string text = WorldToJson(world).dump(2) + "\n";
  const std::string temporary = path + ".new";
  platform::RemoveFile(temporary.c_str());
  platform::UniqueFile file(platform::OpenFile(temporary.c_str(), platform::FileOpen::WriteCreate));
  const bool written = file.valid() && platform::TruncateFile(file.get(), 0) &&
                       platform::WriteToFile(file.get(), text.data(), text.size());
  file.reset();
  if (!written || !platform::ReplaceFile(temporary.c_str(), path.c_str())) {
    error = "cannot write " + path;
    platform::RemoveFile(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace readersim
