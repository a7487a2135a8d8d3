// The library-wide device state and the operations on it that the exports
// call: opening and closing the reader, the reader presence check, and the
// recording of every failure.
//
//   exports -> [device] -> discovery (registry)
//                       -> reader link -> port
#pragma once

#include <cstdint>

#include "cardlib/discovery.h"
#include "cardlib/error_detail.h"
#include "cardlib/link_port.h"
#include "cardlib/reader_link.h"
#include "cardlib/registry_reader.h"

namespace corvex {

class Device {
 public:
  Device(LinkPort& port, RegistryReader& registry) : registry_(registry), link_(port) {}

  bool IsOpen() const { return open_; }
  Detail LastErrorDetail() const { return last_error_; }
  std::uint32_t DiscoveryKindOfPort() const { return discovery_kind_; }

  // Records `detail` as the last error detail (unless it is a success value)
  // and returns its status code.
  std::int32_t Fail(Detail detail);

  // Discovery, then the link's opening; the device is open when both succeed.
  // 0x100 when it is open already.
  std::int32_t Open(const char* model_name, const char* port_path);

  // Forgets the current card and closes the link. The device stays open only
  // while the port does (a port that refused to close); a reader that refused
  // to go back to idle is reported, but its port is closed and so is the
  // device. 0x200 when it is not open.
  std::int32_t Close();

  // The presence check before every sense; on failure the current card is
  // forgotten. 0 when the reader is there.
  std::int32_t CheckReaderPresent();

  // Closes an open device as the library is unloaded.
  void CloseForUnload();

 private:
  void ForgetCard();

  RegistryReader& registry_;
  ReaderLink link_;
  bool open_ = false;
  std::uint32_t discovery_kind_ = kNoPort;
  Detail last_error_ = 0;
  std::uint8_t current_card_[8] = {};
};

}  // namespace corvex
