# Shared CMake functions of the project.

# pellam_shared_library(<name> DEF <file.def> SOURCES <src>... [LIBS <lib>...])
#
# One of the product's shared libraries. Its exports are the names listed in
# the .def file: on Windows the .def file itself is handed to the linker
# (undecorated names), on Linux a version script made from it keeps every
# other symbol local. The fuzz build (PELLAM_FUZZ) has none: there the
# libraries' cores carry the fuzzer's coverage hooks, which only a program
# linking the sanitizers' runtime resolves, and the fuzz targets link those
# cores directly.
function(pellam_shared_library name)
  if(PELLAM_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(WIN32)
    # Lingrel.dll, not libLingrel.dll; the import library keeps its usual name.
    set_target_properties(${name} PROPERTIES PREFIX "")
  endif()
  set(def ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DEF})
  if(WIN32)
    target_sources(${name} PRIVATE ${def})
  else()
    file(STRINGS ${def} def_lines)
    set(names "")
    foreach(line IN LISTS def_lines)
      string(STRIP "${line}" line)
      if(line STREQUAL "" OR line MATCHES "^(;|LIBRARY|EXPORTS)")
        continue()
      endif()
      string(APPEND names "    ${line};\n")
    endforeach()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
    if(names STREQUAL "")
      file(WRITE ${script} "{\n  local: *;\n};\n")
    else()
      file(WRITE ${script} "{\n  global:\n${names}  local: *;\n};\n")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    target_link_options(${name} PRIVATE -Wl,--version-script=${script} -Wl,--no-undefined)
  endif()
endfunction()

# pellam_add_gtest(<name> SOURCES <src>... [LIBS <lib>...])
#
# A GoogleTest program run by CTest. Natively each test case is its own CTest
# test; in the Windows build the whole program is one CTest test run under
# Wine (starting Wine once per test case would be slow).
function(pellam_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${PELLAM_WINE_ENV}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()
