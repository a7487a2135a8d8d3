#include "cardlib/device.h"

#include "cardlib/Corvex.h"
#include "cardlib/status_map.h"

namespace corvex {

std::int32_t Device::Fail(Detail detail) noexcept { return MapDetail(detail, last_error_); }

std::int32_t Device::Open(const char* model_name, const char* port_path) {
  if (IsOpen()) return Fail(kDeviceAlreadyOpen);
  DiscoveredPort port;
  const Detail found = Discover(registry_, model_name, port_path, port);
  discovery_kind_ = port.kind;
  if (found != kCardOk) return Fail(found);
  if (const Detail linked = link_.Open(port.path); linked != kLinkOk) return Fail(linked);
  if (const Detail started = session_.Start(); started != kLinkOk) {
    session_.End();
    link_.Abandon();
    return Fail(TagPhase(started, LinkPhase::Opening));
  }
  if (const Detail registered = session_.RegisterCardKeys(); registered != kCardOk) {
    session_.End();
    link_.Close();  // its own failure would hide the registration's
    return Fail(registered);
  }
  return CORVEX_OK;
}

std::int32_t Device::Close() {
  if (!IsOpen()) return Fail(kDeviceNotOpen);
  ForgetCard();
  session_.End();
  const Detail closed = link_.Close();
  if (closed != kLinkOk) return Fail(closed);
  return CORVEX_OK;
}

std::int32_t Device::CheckReaderPresent() {
  const Detail present = CheckUsbPresence(registry_, discovery_kind_);
  if (present == kCardOk) return CORVEX_OK;
  card_.ForgetCurrent();
  return Fail(present);
}

void Device::CloseForUnload() {
  const TimeLimited limited{link_};
  if (IsOpen()) Close();
}

void Device::ForgetCard() { card_.Forget(); }

}  // namespace corvex
