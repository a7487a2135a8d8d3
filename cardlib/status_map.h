// The one mapping from error details to the status codes the exports return,
// and the phase tagging of details raised while the link opens or closes.
#pragma once

#include <cstdint>

#include "cardlib/error_detail.h"

namespace corvex {

enum class LinkPhase { Opening, Closing };

// The status code for `detail`; records `detail` in `last_error` unless it is
// a success value (so a success never changes the recorded detail).
std::int32_t MapDetail(Detail detail, Detail& last_error) noexcept;

// `detail` as raised while opening or closing the link: every detail but
// 0x2000000..0x2000003, 0x2000011..0x2000019, 0x2000700 and 0x2001300 gets the
// phase bit (0x100000 opening, 0x200000 closing).
Detail TagPhase(Detail detail, LinkPhase phase);

}  // namespace corvex
