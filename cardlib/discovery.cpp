#include "cardlib/discovery.h"

#include <cstring>
#include <new>
#include <string_view>

namespace corvex {

namespace {

constexpr std::string_view kModelName = "PR300";
constexpr std::string_view kEnumRoot = "SYSTEM\\CurrentControlSet\\Enum\\";
constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr const char* kInstanceValue = "0";
constexpr std::size_t kPortNameBytes = 5;

struct ServiceRow {
  const char* enum_key;
  DiscoveryKind kind;
};

// The driver services, in the order they are tried.
constexpr ServiceRow kServices[] = {
    {"SYSTEM\\CurrentControlSet\\Services\\D_SER2_A\\Enum", kSerialDriverPort},
    {"SYSTEM\\CurrentControlSet\\Services\\Ser2dw\\Enum", kSerialDriverPort},
    {"SYSTEM\\CurrentControlSet\\Services\\PCD_SER2\\Enum", kSerialDriverPort},
    {"SYSTEM\\CurrentControlSet\\Services\\PCD_SERV\\Enum", kSerialDriverPort},
    {"SYSTEM\\CurrentControlSet\\Services\\dwusb\\Enum", kUsbDriverPort},
};
constexpr const char* kUsbEnumKey = "SYSTEM\\CurrentControlSet\\Services\\dwusb\\Enum";

// The texts a reader's device name begins with; either is accepted for
// either kind of driver.
constexpr std::string_view kNamePrefixes[] = {
    "DENSO WAVE USB-SER Comm. Port (",
    "DENSO WAVE USB Device (",
};

// Reads a value into a registry buffer: cut to 512 bytes, a string value's
// trailing zero byte not counted. 0 when the read fails or is empty.
std::size_t ReadValue(RegistryReader& registry, const char* key, const char* name,
                      char (&buffer)[kRegistryBufferSize]) {
  std::memset(buffer, 0, sizeof buffer);
  try {
    const std::optional<platform::RegistryValue> value = registry.ReadMachineValue(key, name);
    if (!value) return 0;
    std::size_t length = value->data.size() < sizeof buffer ? value->data.size() : sizeof buffer;
    std::memcpy(buffer, value->data.data(), length);
    const bool text =
        value->type == platform::RegistryType::String || value->type == platform::RegistryType::ExpandString;
    if (text && length > 0 && buffer[length - 1] == '\0') --length;
    return length;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

Detail CheckModel(const char* model_name) {
  if (model_name == nullptr) return kCardOk;
  const std::size_t length = strnlen(model_name, kPortPathMax + 1);
  if (length > kPortPathMax) return kCardInvalidArgument;
  if (std::string_view(model_name, length) != kModelName) return kReaderNotFound;
  return kCardOk;
}

// The port name after a known prefix of `name`, as a device path.
bool PortPathFromName(std::string_view name, char (&path)[kPortPathMax + 1]) {
  for (const std::string_view prefix : kNamePrefixes) {
    if (name.substr(0, prefix.size()) != prefix) continue;
    std::string_view port = name.substr(prefix.size(), kPortNameBytes);
    port = port.substr(0, port.find('\0'));
    if (!port.empty() && port.back() == ')') port.remove_suffix(1);
    std::memcpy(path, kDevicePrefix.data(), kDevicePrefix.size());
    std::memcpy(path + kDevicePrefix.size(), port.data(), port.size());
    path[kDevicePrefix.size() + port.size()] = '\0';
    return true;
  }
  return false;
}

}  // namespace

Detail Discover(RegistryReader& registry, const char* model_name, const char* port_path, DiscoveredPort& found) {
  found = DiscoveredPort{};
  if (const Detail model = CheckModel(model_name); model != kCardOk) return model;

  if (port_path != nullptr) {
    const std::size_t length = strnlen(port_path, kPortPathMax + 1);
    if (length > kPortPathMax) return kCardInvalidArgument;
    std::memcpy(found.path, port_path, length);
    found.path[length] = '\0';
    found.kind = kGivenPort;
    return kCardOk;
  }

  char instance[kRegistryBufferSize];
  std::size_t instance_length = 0;
  DiscoveryKind kind = kNoPort;
  for (const ServiceRow& service : kServices) {
    instance_length = ReadValue(registry, service.enum_key, kInstanceValue, instance);
    if (instance_length > 0) {
      kind = service.kind;
      break;
    }
  }
  if (kind == kNoPort) return kReaderNotFound;

  // The instance path ends at its first zero byte, as a key name does.
  const std::size_t instance_text = strnlen(instance, instance_length);
  char device_key[kEnumRoot.size() + kRegistryBufferSize + 1];
  std::memcpy(device_key, kEnumRoot.data(), kEnumRoot.size());
  std::memcpy(device_key + kEnumRoot.size(), instance, instance_text);
  device_key[kEnumRoot.size() + instance_text] = '\0';

  char name[kRegistryBufferSize];
  const std::size_t name_length =
      ReadValue(registry, device_key, kind == kUsbDriverPort ? "DeviceDesc" : "FriendlyName", name);
  if (name_length == 0 || !PortPathFromName(std::string_view(name, name_length), found.path)) {
    return kReaderNotFound;
  }
  found.kind = kind;
  return kCardOk;
}

Detail CheckUsbPresence(RegistryReader& registry, std::uint32_t kind) {
  if (kind == kSerialDriverPort || kind == kGivenPort) return kCardOk;
  if (kind != kUsbDriverPort) return kReaderNotFound;
  char instance[kRegistryBufferSize];
  return ReadValue(registry, kUsbEnumKey, kInstanceValue, instance) > 0 ? kCardOk : kReaderNotFound;
}

}  // namespace corvex
