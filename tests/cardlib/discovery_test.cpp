#include "cardlib/discovery.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/cardlib/map_registry.h"

namespace {

using namespace corvex;
using testing_support::MapRegistry;

const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";
const std::string kEnum = "SYSTEM\\CurrentControlSet\\Enum\\";
const std::string kSerialName = "DENSO WAVE USB-SER Comm. Port (";
const std::string kUsbName = "DENSO WAVE USB Device (";

// A reader installed under `service`, its device named `name`.
void Install(MapRegistry& registry, const std::string& service, const std::string& instance,
             const std::string& name_value, const std::string& name) {
  registry.SetString(kServices + service + "\\Enum", "0", instance);
  registry.SetString(kEnum + instance, name_value, name);
}

struct Found {
  Detail detail;
  DiscoveredPort port;
};

Found Find(MapRegistry& registry, const char* model = nullptr, const char* path = nullptr) {
  Found found{};
  found.port.kind = 99;
  found.detail = Discover(registry, model, path, found.port);
  return found;
}

// A reader's driver service, the value of its device that names the port,
// and what discovery finds; the device's other value names a port that must
// not be taken.
TEST(Discovery, PortFromTheDriversDeviceName) {
  struct Case {
    const char* service;
    const char* value;
    std::string name;
    Detail detail;
    int kind;
    const char* path;
  };
  const Case cases[] = {
      {"D_SER2_A", "FriendlyName", kSerialName + "COM3)", kCardOk, kSerialDriverPort, "\\\\.\\COM3"},
      {"Ser2dw", "FriendlyName", kSerialName + "COM3)", kCardOk, kSerialDriverPort, "\\\\.\\COM3"},
      {"PCD_SER2", "FriendlyName", kSerialName + "COM3)", kCardOk, kSerialDriverPort, "\\\\.\\COM3"},
      {"PCD_SERV", "FriendlyName", kSerialName + "COM3)", kCardOk, kSerialDriverPort, "\\\\.\\COM3"},
      {"dwusb", "DeviceDesc", kUsbName + "COM5)", kCardOk, kUsbDriverPort, "\\\\.\\COM5"},
      // Either prefix for either kind, and the port name's rule.
      {"Ser2dw", "FriendlyName", kSerialName + "COM12)", kCardOk, kSerialDriverPort, "\\\\.\\COM12"},
      {"Ser2dw", "FriendlyName", kSerialName + "COM123)", kCardOk, kSerialDriverPort, "\\\\.\\COM12"},
      {"Ser2dw", "FriendlyName", kUsbName + "COM7)", kCardOk, kSerialDriverPort, "\\\\.\\COM7"},
      {"dwusb", "DeviceDesc", kSerialName + "COM1) extra", kCardOk, kUsbDriverPort, "\\\\.\\COM1"},
      {"dwusb", "DeviceDesc", kUsbName + "COM22)", kCardOk, kUsbDriverPort, "\\\\.\\COM22"},
      {"Ser2dw", "FriendlyName", kSerialName + "CO", kCardOk, kSerialDriverPort, "\\\\.\\CO"},
      {"Ser2dw", "FriendlyName", kSerialName + std::string("CO\0M9)", 6), kCardOk, kSerialDriverPort, "\\\\.\\CO"},
      // Foreign or missing names.
      {"D_SER2_A", "FriendlyName", "Other Maker Serial (COM3)", kReaderNotFound, kNoPort, ""},
      {"D_SER2_A", "FriendlyName", "denso wave USB-SER Comm. Port (COM3)", kReaderNotFound, kNoPort, ""},
      {"D_SER2_A", "DeviceDesc", kSerialName + "COM3)", kReaderNotFound, kNoPort, ""},
      {"D_SER2_A", "FriendlyName", "", kReaderNotFound, kNoPort, ""},
      {"D_SER2_A", nullptr, "", kReaderNotFound, kNoPort, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.service) + " " + c.name);
    MapRegistry registry;
    registry.SetString(kServices + c.service + "\\Enum", "0", "USB\\X");
    if (c.value != nullptr) {
      registry.SetString(kEnum + "USB\\X", c.value, c.name);
      registry.SetString(kEnum + "USB\\X", c.value == std::string("DeviceDesc") ? "FriendlyName" : "DeviceDesc",
                         "something else (COM9)");
    }
    const Found found = Find(registry, "PR300");
    EXPECT_EQ(found.detail, c.detail);
    EXPECT_EQ(found.port.kind, c.kind);
    EXPECT_STREQ(found.port.path, c.path);
  }
  MapRegistry empty;
  EXPECT_EQ(Find(empty).detail, kReaderNotFound);
  EXPECT_EQ(Find(empty).port.kind, kNoPort);
}

TEST(Discovery, ServicesAreTriedInOrder) {
  MapRegistry registry;
  Install(registry, "dwusb", "USB\\B", "DeviceDesc", kUsbName + "COM8)");
  Install(registry, "PCD_SERV", "USB\\A", "FriendlyName", kSerialName + "COM4)");
  registry.SetString(kServices + "D_SER2_A\\Enum", "0", "");  // empty: not taken
  const Found found = Find(registry);
  EXPECT_EQ(found.port.kind, kSerialDriverPort);
  EXPECT_STREQ(found.port.path, "\\\\.\\COM4");
}

TEST(Discovery, ModelNameAndGivenPath) {
  MapRegistry registry;
  Install(registry, "D_SER2_A", "USB\\X", "FriendlyName", kSerialName + "COM3)");
  EXPECT_EQ(Find(registry, "PR300").detail, kCardOk);
  EXPECT_EQ(Find(registry, nullptr).detail, kCardOk);
  EXPECT_EQ(Find(registry, "pr300").detail, kReaderNotFound);
  EXPECT_EQ(Find(registry, "pr300").port.kind, kNoPort);
  EXPECT_EQ(Find(registry, "PR3000").detail, kReaderNotFound);
  EXPECT_EQ(Find(registry, "").detail, kReaderNotFound);
  const std::string long_name(512, 'P');
  EXPECT_EQ(Find(registry, long_name.c_str()).detail, kCardInvalidArgument);

  MapRegistry untouched;
  const Found given = Find(untouched, "PR300", "/dev/ttyUSB3");
  EXPECT_EQ(given.detail, kCardOk);
  EXPECT_EQ(given.port.kind, kGivenPort);
  EXPECT_STREQ(given.port.path, "/dev/ttyUSB3");
  EXPECT_EQ(untouched.reads, 0);
  EXPECT_EQ(Find(untouched, "pr300", "/dev/ttyUSB3").detail, kReaderNotFound) << "the model is checked first";

  const std::string longest(511, 'x');
  EXPECT_STREQ(Find(untouched, nullptr, longest.c_str()).port.path, longest.c_str());
}

TEST(Discovery, RegistryValuesAreCutTo512BytesAndLoseATrailingZero) {
  MapRegistry registry;
  // A 600-byte instance path: only its first 512 bytes name the device key.
  const std::string instance(600, 'I');
  registry.SetString(kServices + "D_SER2_A\\Enum", "0", instance);
  registry.SetString(kEnum + instance.substr(0, 512), "FriendlyName", kSerialName + "COM6)");
  EXPECT_STREQ(Find(registry).port.path, "\\\\.\\COM6");

  // A value of nothing but its terminating zero is empty.
  MapRegistry terminator_only;
  terminator_only.SetString(kServices + "D_SER2_A\\Enum", "0", "");
  EXPECT_EQ(Find(terminator_only).detail, kReaderNotFound);

  // A binary value keeps a final zero byte: it is not a string's terminator.
  MapRegistry binary;
  binary.Set(kServices + "D_SER2_A\\Enum", "0", {platform::RegistryType::Binary, std::string("\0", 1)});
  binary.SetString(kEnum, "FriendlyName", kSerialName + "COM2)");
  EXPECT_EQ(Find(binary).detail, kCardOk);
}

TEST(Discovery, UsbPresence) {
  MapRegistry registry;
  EXPECT_EQ(CheckUsbPresence(registry, kSerialDriverPort), kCardOk);
  EXPECT_EQ(CheckUsbPresence(registry, kGivenPort), kCardOk);
  EXPECT_EQ(CheckUsbPresence(registry, kNoPort), kReaderNotFound);
  EXPECT_EQ(CheckUsbPresence(registry, kUsbDriverPort), kReaderNotFound);
  registry.SetString(kServices + "dwusb\\Enum", "0", "USB\\VID_2\\7");
  EXPECT_EQ(CheckUsbPresence(registry, kUsbDriverPort), kCardOk);
  registry.SetString(kServices + "dwusb\\Enum", "0", "");
  EXPECT_EQ(CheckUsbPresence(registry, kUsbDriverPort), kReaderNotFound);
}

}  // namespace
