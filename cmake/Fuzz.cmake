# Coverage for libFuzzer in everything the fuzz targets link, when the fuzz
# preset asks for it (clang only). The targets themselves are in fuzz/.
option(QUILLFERN_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(QUILLFERN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUILLFERN_FUZZ needs clang++ (libFuzzer)")
  endif()
  target_compile_options(quillfern_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()
