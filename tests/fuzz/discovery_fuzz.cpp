// Registry values as a broken or hostile driver could have left them: the
// service's instance name and the instance's friendly name (or device
// description) come from the input, with a type the input picks, and
// discovery makes a port path from them.
//
// Input: byte 0 picks the value type and whether only the USB driver's
// service is present; the rest is the instance name, a zero byte, then the
// friendly name.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "cardlib/discovery.h"
#include "cardlib/registry_reader.h"

namespace {

constexpr platform::RegistryType kTypes[] = {platform::RegistryType::String, platform::RegistryType::ExpandString,
                                             platform::RegistryType::Binary, platform::RegistryType::Dword};

class InputRegistry final : public corvex::RegistryReader {
 public:
  std::string instance;
  std::string friendly_name;
  platform::RegistryType type = platform::RegistryType::String;
  bool usb_only = false;

  std::optional<platform::RegistryValue> ReadMachineValue(const char* key, const char* name) override {
    const std::string_view path(key);
    if (path.find("\\Services\\") != std::string_view::npos) {
      if (usb_only && path.find("\\dwusb\\") == std::string_view::npos) return std::nullopt;
      if (std::strcmp(name, "0") != 0) return std::nullopt;
      return platform::RegistryValue{type, instance};
    }
    return platform::RegistryValue{type, friendly_name};
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t split = rest.find('\0');
  InputRegistry registry;
  registry.type = kTypes[data[0] % 4];
  registry.usb_only = (data[0] & 0x04) != 0;
  registry.instance = std::string(rest.substr(0, split));
  registry.friendly_name = split == std::string_view::npos ? std::string() : std::string(rest.substr(split + 1));

  corvex::DiscoveredPort found;
  const char* model = (data[0] & 0x08) != 0 ? "PR300" : nullptr;
  corvex::Discover(registry, model, nullptr, found);
  if (std::memchr(found.path, '\0', sizeof found.path) == nullptr) __builtin_trap();
  corvex::CheckUsbPresence(registry, found.kind);
  return 0;
}
