#include "cardlib/device.h"

#include <cstring>

#include "cardlib/Corvex.h"
#include "cardlib/status_map.h"

namespace corvex {

std::int32_t Device::Fail(Detail detail) { return MapDetail(detail, last_error_); }

std::int32_t Device::Open(const char* model_name, const char* port_path) {
  if (open_) return Fail(kDeviceAlreadyOpen);
  DiscoveredPort port;
  const Detail found = Discover(registry_, model_name, port_path, port);
  discovery_kind_ = port.kind;
  if (found != kCardOk) return Fail(found);
  if (const Detail linked = link_.Open(port.path); linked != kLinkOk) return Fail(linked);
  open_ = true;
  return CORVEX_OK;
}

std::int32_t Device::Close() {
  if (!open_) return Fail(kDeviceNotOpen);
  ForgetCard();
  const Detail closed = link_.Close();
  if (!link_.IsOpen()) open_ = false;
  if (closed != kLinkOk) return Fail(closed);
  return CORVEX_OK;
}

std::int32_t Device::CheckReaderPresent() {
  const Detail present = CheckUsbPresence(registry_, discovery_kind_);
  if (present == kCardOk) return CORVEX_OK;
  ForgetCard();
  return Fail(present);
}

void Device::CloseForUnload() {
  if (open_) Close();
}

void Device::ForgetCard() { std::memset(current_card_, 0, sizeof current_card_); }

}  // namespace corvex
