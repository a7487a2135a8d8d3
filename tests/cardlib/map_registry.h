// A registry for discovery tests: values in a table.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "cardlib/registry_reader.h"

namespace testing_support {

class MapRegistry final : public corvex::RegistryReader {
 public:
  // A string value, stored with its terminating zero as the registry keeps it.
  void SetString(const std::string& key, const std::string& name, const std::string& text) {
    values_[{key, name}] = platform::RegistryValue{platform::RegistryType::String, text + '\0'};
  }
  void Set(const std::string& key, const std::string& name, platform::RegistryValue value) {
    values_[{key, name}] = std::move(value);
  }

  int reads = 0;

  std::optional<platform::RegistryValue> ReadMachineValue(const char* key, const char* name) override {
    ++reads;
    const auto found = values_.find({key, name});
    if (found == values_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::map<std::pair<std::string, std::string>, platform::RegistryValue> values_;
};

}  // namespace testing_support
