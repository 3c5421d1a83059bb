# movie_host(<name> <vidsurf target>): a host program built outside the
# repository's build against an installed vidsurf, making its own movies
# with the test-movie generator, whose source folder is given as MOVIEGEN_DIR.
set(CMAKE_CXX_STANDARD 17)
set(MOVIE_HOST_COMMON_DIR ${CMAKE_CURRENT_LIST_DIR})
set(MOVIEGEN_DIR "" CACHE PATH "Source folder of the test-movie generator")
if(NOT EXISTS ${MOVIEGEN_DIR}/moviegen.h)
  message(FATAL_ERROR "MOVIEGEN_DIR must name the test-movie generator's source folder")
endif()

find_package(vidsurf REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale libswresample)

function(movie_host name library)
  file(GLOB moviegen_sources ${MOVIEGEN_DIR}/*.cpp)
  list(FILTER moviegen_sources EXCLUDE REGEX "(_test|decoded_movie)\\.cpp$")
  # The check counter is shared by the hosts.
  file(GLOB host_sources ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${MOVIE_HOST_COMMON_DIR}/*.cpp)
  add_executable(${name} ${host_sources} ${moviegen_sources})
  target_include_directories(${name} PRIVATE ${MOVIEGEN_DIR}/.. ${MOVIE_HOST_COMMON_DIR})
  target_compile_options(${name} PRIVATE -Wall -Wextra -Werror)
  target_link_libraries(${name} PRIVATE ${library} PkgConfig::FFMPEG)
endfunction()
