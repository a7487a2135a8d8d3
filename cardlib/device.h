// The library-wide device state and the operations on it that the exports
// call: opening and closing the reader (with its secured session and the card
// key registration), the reader presence check, and the recording of every
// failure. The card work itself is in card_data.h and pin.h.
//
//   exports -> [device] -> discovery (registry)
//                       -> card fields -> reader session -> reader link -> port
#pragma once

#include <cstdint>
#include <new>

#include "cardlib/card_fields.h"
#include "cardlib/discovery.h"
#include "cardlib/error_detail.h"
#include "cardlib/link_port.h"
#include "cardlib/reader_link.h"
#include "cardlib/reader_session.h"
#include "cardlib/registry_reader.h"

namespace corvex {

class Device {
 public:
  Device(LinkPort& port, RegistryReader& registry) : registry_(registry), link_(port) {}
  ~Device() { CloseForUnload(); }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // The device is open exactly while its port is: a port that refuses to
  // close, after a failed closing or a failed opening, keeps the device open
  // so that a later closing can finish the work.
  bool IsOpen() const { return link_.IsOpen(); }
  Detail LastErrorDetail() const { return last_error_; }
  std::uint32_t DiscoveryKindOfPort() const { return discovery_kind_; }

  // Records `detail` as the last error detail (unless it is a success value)
  // and returns its status code.
  std::int32_t Fail(Detail detail) noexcept;

  // Runs one exported operation, `body`, which returns its status code,
  // within the link's time limit for one function. The
  // card's read and write buffers are wiped as it returns, whichever way; an
  // exception that leaves it is answered as a failure with its own detail
  // (0x10000008 out of memory, 0x10000009 any other), so that none leaves an
  // export.
  template <typename Body>
  std::int32_t Run(Body&& body) noexcept {
    const BuffersWiped wiped{card_};
    const TimeLimited limited{link_};
    try {
      return body();
    } catch (const std::bad_alloc&) {
      return Fail(kOutOfMemory);
    } catch (...) {
      return Fail(kInternalFailure);
    }
  }

  // Discovery, the link's opening, the secured session (a failure there asks
  // the reader back to 9600 bit/s and closes the port), then the card key
  // registration (a failure there closes the link again). The device is open
  // when all succeed, closed after a failure unless its port refused to
  // close; 0x100 when it is open already.
  std::int32_t Open(const char* model_name, const char* port_path);

  // Forgets the current card and closes the link. The device stays open only
  // while the port does (a port that refused to close: closing again retries);
  // a reader that refused to go back to idle is reported, but its port is
  // closed and so is the device. 0x200 when it is not open.
  std::int32_t Close();

  // The presence check before every sense; on failure the current card is
  // forgotten. 0 when the reader is there.
  std::int32_t CheckReaderPresent();

  // Closes an open device as the library is unloaded.
  void CloseForUnload();

  Card& card() { return card_; }
#ifdef PELLAM_TEST_HOOKS
  // Tests: the session, to move its sequence number.
  ReaderSession& session() { return session_; }
#endif

 private:
  struct BuffersWiped {
    Card& card;
    ~BuffersWiped() { card.WipeBuffers(); }
  };
  struct TimeLimited {
    explicit TimeLimited(ReaderLink& limited) : link(limited) { link.StartTimeLimit(kFunctionTimeLimit); }
    ~TimeLimited() { link.EndTimeLimit(); }
    TimeLimited(const TimeLimited&) = delete;
    TimeLimited& operator=(const TimeLimited&) = delete;
    ReaderLink& link;
  };

  void ForgetCard();

  RegistryReader& registry_;
  ReaderLink link_;
  ReaderSession session_{link_};
  Card card_{session_};
  std::uint32_t discovery_kind_ = kNoPort;
  Detail last_error_ = 0;
};

}  // namespace corvex
