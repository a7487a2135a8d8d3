# Which reader and card keys the card library compiles in. Included before
# project(), so that a build without keys stops before any compiler is looked
# for. Sets CORVEX_KEY_SOURCE (the source file that defines the keys) and
# CORVEX_USES_DEVELOPMENT_KEYS.
#
#   -DCORVEX_SITE_KEY_FILE=FILE    the site's keys (a source file of the form of
#                                  cardlib/development_keys.cpp)
#   -DCORVEX_DEVELOPMENT_KEYS=ON   the development keys, which everyone has
#
# Builds with tests use the development keys unless given a site file. Builds
# without tests (release and package builds) must name one of the two; the
# release presets set CORVEX_DEVELOPMENT_KEYS=OFF, so that a cached ON from an
# earlier configure never carries over into them.
set(CORVEX_SITE_KEY_FILE "" CACHE FILEPATH
    "Source file defining the site's reader and card keys (empty: none)")
option(CORVEX_DEVELOPMENT_KEYS "Compile in the development keys (never for a site)" OFF)

set(corvex_keys_how
    "Name the site's key file with -DCORVEX_SITE_KEY_FILE=/secure/place/site_keys.cpp "
    "(scripts/make-site-keys writes one from a list of hex keys), or ask for the development keys, "
    "which must never be used at a site, with -DCORVEX_DEVELOPMENT_KEYS=ON. "
    "scripts/package takes --site-key-file FILE or --development-keys.")

if(CORVEX_SITE_KEY_FILE AND CORVEX_DEVELOPMENT_KEYS)
  message(FATAL_ERROR
          "Both CORVEX_SITE_KEY_FILE (${CORVEX_SITE_KEY_FILE}) and CORVEX_DEVELOPMENT_KEYS=ON are set; "
          "the build compiles in one key set. For the site's keys add -DCORVEX_DEVELOPMENT_KEYS=OFF, "
          "for the development keys -DCORVEX_SITE_KEY_FILE=")
elseif(CORVEX_SITE_KEY_FILE)
  if(NOT EXISTS "${CORVEX_SITE_KEY_FILE}" OR IS_DIRECTORY "${CORVEX_SITE_KEY_FILE}")
    message(FATAL_ERROR "CORVEX_SITE_KEY_FILE names ${CORVEX_SITE_KEY_FILE}, which is not a file")
  endif()
  set(CORVEX_KEY_SOURCE "${CORVEX_SITE_KEY_FILE}")
  set(CORVEX_USES_DEVELOPMENT_KEYS OFF)
  message(STATUS "Card keys: the site's, from ${CORVEX_SITE_KEY_FILE}")
elseif(CORVEX_DEVELOPMENT_KEYS OR PELLAM_TESTS)
  set(CORVEX_KEY_SOURCE "${CMAKE_CURRENT_LIST_DIR}/../cardlib/development_keys.cpp")
  set(CORVEX_USES_DEVELOPMENT_KEYS ON)
  message(STATUS "Card keys: the development keys (this build must not be used at a site)")
else()
  message(FATAL_ERROR "This build (PELLAM_TESTS=OFF) has no card keys. " ${corvex_keys_how})
endif()
cmake_path(NORMAL_PATH CORVEX_KEY_SOURCE)
