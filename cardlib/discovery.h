// Finding the reader's serial port, and checking that a USB reader is still
// attached.
//
//   device -> [discovery] -> RegistryReader (HKEY_LOCAL_MACHINE)
//
// A caller's port path is used as given. Otherwise the reader's driver
// service is looked for under SYSTEM\CurrentControlSet\Services: D_SER2_A,
// Ser2dw, PCD_SER2 and PCD_SERV (serial drivers), then dwusb (the USB
// driver); the first whose Enum key has a non-empty value "0" names the
// device instance. The instance's FriendlyName (serial drivers) or DeviceDesc
// (USB driver) under SYSTEM\CurrentControlSet\Enum must begin with
// "DENSO WAVE USB-SER Comm. Port (" or "DENSO WAVE USB Device ("; the five
// bytes after it, up to a zero byte and without a final ")", are the port
// name: "(COM3)" gives \\.\COM3, "(COM12)" \\.\COM12 and "(COM123)" \\.\COM12.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cardlib/error_detail.h"
#include "cardlib/registry_reader.h"

namespace corvex {

inline constexpr std::size_t kPortPathMax = 511;  // bytes, without the terminator
inline constexpr std::size_t kRegistryBufferSize = 512;

enum DiscoveryKind : std::uint32_t {
  kNoPort = 0,
  kSerialDriverPort = 1,  // found through a serial driver's service
  kUsbDriverPort = 2,     // found through the USB driver's service "dwusb"
  kGivenPort = 3,         // the caller gave the path
};

struct DiscoveredPort {
  std::uint32_t kind = kNoPort;
  char path[kPortPathMax + 1] = {};
};

// Finds the port: 0x8000001 for a model name longer than 511 bytes, 0x8000004
// for a model name other than "PR300" (a null name is accepted) or no
// usable registry entry. `found.kind` is 0 whenever discovery fails.
Detail Discover(RegistryReader& registry, const char* model_name, const char* port_path, DiscoveredPort& found);

// Passes for kinds 1 and 3; for kind 2 the USB driver's Enum value "0" must
// still read non-empty; kind 0 fails. 0x8000004 on failure.
Detail CheckUsbPresence(RegistryReader& registry, std::uint32_t kind);

}  // namespace corvex
