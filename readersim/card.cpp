#include "readersim/card.h"

#include <cstring>

namespace readersim {

std::optional<int> ServiceForCode(std::uint16_t code) {
  for (int s = 0; s < kServiceCount; ++s) {
    if (kServices[s].code == code) return s;
  }
  return std::nullopt;
}

Card Card::Blank(const Block8& idm, const KeyConfig& keys) {
  Card card;
  card.idm = idm;
  // Parameters: what such a card reports about its timing; not interpreted by the host.
  card.pmm = {0x03, 0x01, 0x4B, 0x02, 0x4F, 0x49, 0x93, 0xFF};
  card.keys = keys.card;
  for (int p = 0; p < kPairCount; ++p) card.blocks[p].assign(kPairBlocks[p], Block16{});
  return card;
}

const std::vector<FieldRow>& Fields() {
  static const std::vector<FieldRow> fields{
      {"user_id", 0, 0, 8, FieldKind::Text},
      {"password", 0, 8, 16, FieldKind::Text},
      {"retry_limit", 1, 0, 1, FieldKind::Bytes, 0, 1},
      {"retry_count", 1, 0, 1, FieldKind::Bytes, 1, 1},
      {"pin", 1, 1, 1, FieldKind::Text},
      {"admin_id_on_user", 2, 0, 8, FieldKind::Text},
      {"user_name", 2, 8, 4, FieldKind::Text},
      {"issue_count", 2, 12, 1, FieldKind::Number16},
      {"issue_date", 2, 13, 1, FieldKind::Date},
      {"expiry_date", 2, 14, 1, FieldKind::Date},
      {"user_comment", 2, 15, 8, FieldKind::Text},
      {"admin_id", 3, 0, 8, FieldKind::Text},
      {"admin_comment", 3, 8, 8, FieldKind::Text},
      {"user_code", 4, 0, 1, FieldKind::Bytes, 0, 4},
      {"user_config", 4, 2, 1, FieldKind::Bytes, 0, 2},
      {"pre_charge", 4, 3, 1, FieldKind::Bytes, 0, 8},
      {"user_charge", 4, 4, 1, FieldKind::Bytes, 0, 8},
      {"charge_upper_limit", 4, 5, 1, FieldKind::Bytes, 0, 4},
      {"last_user_charge", 4, 6, 2, FieldKind::Bytes, 0, 32},
      {"last_user_payment", 4, 8, 2, FieldKind::Bytes, 0, 32},
      {"transaction_status", 4, 10, 1, FieldKind::Bytes, 0, 1},
  };
  return fields;
}

void SetTextField(Card& card, const char* field_name, const std::string& text) {
  for (const FieldRow& field : Fields()) {
    if (std::strcmp(field.name, field_name) != 0) continue;
    const std::size_t capacity = static_cast<std::size_t>(field.block_count) * 16;
    for (int b = 0; b < field.block_count; ++b) {
      Block16& block = card.blocks[field.pair][field.first_block + b];
      for (int i = 0; i < 16; ++i) {
        const std::size_t at = static_cast<std::size_t>(b) * 16 + i;
        block[i] = at < text.size() && at < capacity ? static_cast<std::uint8_t>(text[at]) : 0;
      }
    }
    return;
  }
}

}  // namespace readersim
