// Whether the Corvex a program links carries the development keys, which
// everyone has: such a build must never be used at a site. The build sets
// PELLAM_DEVELOPMENT_KEYS for everything that links Corvex, from the same
// decision that picks the key source (cmake/CorvexKeys.cmake).
#pragma once

namespace corvex {

#ifdef PELLAM_DEVELOPMENT_KEYS
inline constexpr bool kDevelopmentKeysBuild = true;
#else
inline constexpr bool kDevelopmentKeysBuild = false;
#endif

}  // namespace corvex
