// A few helpers to write JSON by hand: a string value, and an object built
// member by member. Bytes of 0x80 and above pass unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellam_card {

std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Add(std::string_view name, std::string_view text);
  JsonObject& Add(std::string_view name, const char* text) { return Add(name, std::string_view(text)); }
  JsonObject& Add(std::string_view name, std::int64_t number);
  JsonObject& Add(std::string_view name, bool flag);
  // A value already written as JSON (an object or an array).
  JsonObject& AddRaw(std::string_view name, std::string_view json);
  std::string Text() const { return "{" + members_ + "}"; }

 private:
  void Name(std::string_view name);
  std::string members_;
};

}  // namespace pellam_card
