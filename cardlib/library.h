// The one device of the running library: the platform's serial port and
// registry behind a Device, made on first use and closed and destroyed when
// the process unloads the library (platform/library_unload.h).
#pragma once

#include "cardlib/device.h"

namespace corvex {

Device& TheDevice();

}  // namespace corvex
