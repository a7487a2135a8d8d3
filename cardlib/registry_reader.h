// Where reader discovery reads the registry: the platform's registry in the
// library, a table in tests.
#pragma once

#include <optional>

#include "platform/registry.h"

namespace corvex {

class RegistryReader {
 public:
  virtual ~RegistryReader() = default;
  // The value `name` of HKEY_LOCAL_MACHINE\`key` as stored; nullopt when the
  // key or the value cannot be read.
  virtual std::optional<platform::RegistryValue> ReadMachineValue(const char* key, const char* name) = 0;
};

class SystemRegistry final : public RegistryReader {
 public:
  std::optional<platform::RegistryValue> ReadMachineValue(const char* key, const char* name) override {
    return platform::ReadRegistryValue(platform::RegistryRoot::LocalMachine, key, name);
  }
};

}  // namespace corvex
