#include "tools/pellam_card/json_text.h"

#include <cstdio>

namespace pellam_card {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

void JsonObject::Name(std::string_view name) {
  if (!members_.empty()) members_ += ",";
  members_ += JsonString(name) + ":";
}

JsonObject& JsonObject::Add(std::string_view name, std::string_view text) {
  Name(name);
  members_ += JsonString(text);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view name, std::int64_t number) {
  Name(name);
  members_ += std::to_string(number);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view name, bool flag) {
  Name(name);
  members_ += flag ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::AddRaw(std::string_view name, std::string_view json) {
  Name(name);
  members_ += json;
  return *this;
}

}  // namespace pellam_card
