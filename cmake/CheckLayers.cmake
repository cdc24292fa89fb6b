# Checks that every source of a layer includes only what that layer stands
# on: headers of its own folder and of the layers below it, never one of a
# layer above; and that the portable sources include no Windows header (no
# system header at all: only the standard library's, GoogleTest's and
# CLI11's). Run by ctest as Layers.IncludeOnlyWhatTheyStandOn:
#   cmake -DSOURCE_DIR=<top of the sources> -P CheckLayers.cmake
# It names each include that breaks a rule and fails; a source that cannot
# be read fails it too.
cmake_minimum_required(VERSION 3.25)

# The layers, bottom up, and those each may include from. The win32/ and
# posix/ parts of a folder are its system's own; the rest of a portable
# layer builds everywhere.
set(platform_uses "")
set(catalogue_uses "")
set(generator_uses platform catalogue)
set(check_uses platform catalogue)
set(command_uses generator platform catalogue)
set(cli_uses check command generator platform catalogue)
set(wizard_uses command generator platform catalogue)
set(layers platform catalogue check generator command cli wizard)
set(portable platform catalogue check generator command cli)
# Headers from outside the layer folders that portable code may include.
set(portable_system_headers gtest/gtest.h CLI/CLI.hpp)

if(NOT IS_DIRECTORY "${SOURCE_DIR}/platform")
  message(FATAL_ERROR "SOURCE_DIR must name the top of the sources, not '${SOURCE_DIR}'")
endif()

set(faults 0)
set(checked 0)
macro(fault text)
  message("${relative}: ${text}")
  math(EXPR faults "${faults} + 1")
endmacro()

foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(relative IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    set(isPortable FALSE)
    if(layer IN_LIST portable AND NOT relative MATCHES "/(win32|posix)/")
      set(isPortable TRUE)
    endif()
    file(STRINGS "${SOURCE_DIR}/${relative}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        fault("an include this check cannot read: ${line}")
        continue()
      endif()
      set(header "${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_1 STREQUAL "<")
        # The standard library's headers have no extension.
        if(isPortable AND header MATCHES "\\." AND NOT header IN_LIST portable_system_headers)
          fault("includes <${header}>, a system header, in portable code")
        endif()
        continue()
      endif()
      # Our own: "<layer>/...", a test helper "support/<layer>_support.h"
      # (test_support.h stands on no layer, win32_support.h on Windows'
      # platform, wizard_driver.h on the wizard), or the version header.
      if(header STREQUAL "version.h" OR header STREQUAL "support/test_support.h")
        continue()
      elseif(header MATCHES "^support/(generator|command|cli)_support\\.h$")
        set(owner "${CMAKE_MATCH_1}")
      elseif(header STREQUAL "support/win32_support.h")
        set(owner platform)
      elseif(header STREQUAL "support/wizard_driver.h")
        set(owner wizard)
      elseif(header MATCHES "^([a-z_]+)/" AND CMAKE_MATCH_1 IN_LIST layers)
        set(owner "${CMAKE_MATCH_1}")
      else()
        fault("includes \"${header}\", which belongs to no layer (name it from the top of the sources)")
        continue()
      endif()
      if(NOT owner STREQUAL layer AND NOT owner IN_LIST ${layer}_uses)
        fault("includes \"${header}\" of ${owner}, which ${layer} does not stand on")
      endif()
      if(isPortable AND (owner STREQUAL "wizard" OR header MATCHES "(^|/)win32(/|_support\\.h$)"))
        fault("includes \"${header}\", a Windows header, in portable code")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} include(s) break the layers; ${checked} sources checked")
endif()
message("${checked} sources include only what their layer stands on")
