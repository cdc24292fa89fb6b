# GoogleTest from Debian's source package, built with the same compiler as
# the code under test (the cross compiler included), without our warning
# and sanitizer flags.
set(QUILLFERN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${QUILLFERN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)

# quillfern_add_tests(<program> <sources>... LINK <libraries>... [PROPERTIES <test properties>...])
# A test program of GoogleTest tests, linked to the libraries named (a
# layer's tests: that layer and the test helpers of its level), each test
# known to ctest by its name.
function(quillfern_add_tests program)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LINK;PROPERTIES")
  add_executable(${program} ${arg_UNPARSED_ARGUMENTS})
  target_link_libraries(${program} PRIVATE ${arg_LINK} quillfern_flags GTest::gtest_main)
  if(arg_PROPERTIES)
    set(arg_PROPERTIES PROPERTIES ${arg_PROPERTIES})
  endif()
  gtest_discover_tests(${program} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 ${arg_PROPERTIES})
endfunction()

# Some tests run once more under each system code page that names work
# differently in: Japanese (932) and Traditional Chinese (950), where the
# second byte of a character can be a backslash, Russian (1251), whose
# console code page differs from the ANSI one; the ordinary run is the
# English one (1252) under the usual LANG (C, en_US and the like). Wine takes
# a process's code page from its locale, and the programs a test starts
# inherit it; LC_ALL is set too, since one set in the developer's shell
# would win over LANG and the test would run in the wrong code page.
# Further arguments name the locales to run in, when fewer than all three;
# PROPERTIES is followed by more test properties for each.
function(quillfern_code_page_tests target label filter)
  if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 3 arg "" "" "PROPERTIES")
  set(locales ${arg_UNPARSED_ARGUMENTS})
  if(NOT locales)
    set(locales ja_JP zh_TW ru_RU)
  endif()
  foreach(locale IN LISTS locales)
    add_test(NAME ${locale}.${label} COMMAND ${target} --gtest_filter=${filter})
    set_tests_properties(${locale}.${label} PROPERTIES ENVIRONMENT "LANG=${locale}.UTF-8;LC_ALL=${locale}.UTF-8"
                         RUN_SERIAL TRUE ${arg_PROPERTIES})
  endforeach()
endfunction()
