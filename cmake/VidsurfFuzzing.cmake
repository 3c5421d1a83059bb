# VIDSURF_BUILD_FUZZERS builds the libFuzzer targets in fuzz/. Everything is
# then compiled by clang with AddressSanitizer, UndefinedBehaviorSanitizer and
# libFuzzer's coverage; only the fuzz targets link libFuzzer itself.
option(VIDSURF_BUILD_FUZZERS "Build the libFuzzer targets (clang only)" OFF)
if(VIDSURF_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VIDSURF_BUILD_FUZZERS needs clang: configure with CC=clang CXX=clang++")
  endif()
  if(VIDSURF_SANITIZE)
    message(FATAL_ERROR "VIDSURF_BUILD_FUZZERS brings its own sanitizers; leave VIDSURF_SANITIZE empty")
  endif()
  # The ignore list is copied under a name that holds its hash: a changed
  # list changes the flags, so everything is compiled again with it.
  set(ignorelist ${CMAKE_SOURCE_DIR}/fuzz/coverage_ignorelist.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ignorelist})
  file(SHA1 ${ignorelist} ignorelist_hash)
  string(SUBSTRING ${ignorelist_hash} 0 12 ignorelist_hash)
  set(ignorelist_copy ${CMAKE_BINARY_DIR}/coverage_ignorelist-${ignorelist_hash}.txt)
  configure_file(${ignorelist} ${ignorelist_copy} COPYONLY)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all -fsanitize-coverage-ignorelist=${ignorelist_copy})
  add_link_options(-fsanitize=address,undefined)
endif()
