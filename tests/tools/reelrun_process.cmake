# Runs reelrun as a user would, on a short movie made here, and checks its
# standard output byte for byte, its exit status and its screen snapshots.
# Run with -DREELRUN=<reelrun> -DMOVIEGEN=<moviegen> -DWORK_DIR=<folder>.
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/snapshots)
set(movie ${WORK_DIR}/short.avi)
execute_process(COMMAND ${MOVIEGEN} --frames 12 --size 64x48 ${movie} RESULT_VARIABLE made)
if(NOT made EQUAL 0)
  message(FATAL_ERROR "moviegen failed: ${made}")
endif()

# run(<name> <expected status> <expected stdout> <expected stderr> <args>...)
# Frames as fast as they decode, no sound device, no mirror window.
function(run name status out err)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env VIDSURF_CLOCK=free SDL_AUDIODRIVER=dummy DISPLAY= WAYLAND_DISPLAY=
            VIDSURF_DISPLAY=320x200x32 VIDSURF_SNAPSHOTS=${WORK_DIR}/snapshots ${REELRUN} ${ARGN}
    RESULT_VARIABLE got_status OUTPUT_VARIABLE got_out ERROR_VARIABLE got_err)
  if(NOT got_status STREQUAL status)
    message(SEND_ERROR "${name}: exit status ${got_status}, expected ${status}")
  endif()
  if(NOT got_out STREQUAL out)
    message(SEND_ERROR "${name}: standard output [${got_out}], expected [${out}]")
  endif()
  if(NOT got_err STREQUAL err)
    message(SEND_ERROR "${name}: standard error [${got_err}], expected [${err}]")
  endif()
endfunction()

run(usage 2 "Usage : reelrun movie.ext\n" "")
file(GLOB snapshots ${WORK_DIR}/snapshots/*)
if(snapshots)
  message(SEND_ERROR "usage: nothing was played, yet snapshots were saved: ${snapshots}")
endif()

run(missing 0 "" "Error in create MMStream for ${WORK_DIR}/missing.avi\n" ${WORK_DIR}/missing.avi)

# Further arguments are ignored.
run(play 0 "seek 0\npause 1...\npause 2...\n" "" ${movie} ${WORK_DIR}/missing.avi)
foreach(name screen-001.png screen-end.png)
  if(NOT EXISTS ${WORK_DIR}/snapshots/${name})
    message(SEND_ERROR "play: no snapshot ${name}")
  endif()
endforeach()
