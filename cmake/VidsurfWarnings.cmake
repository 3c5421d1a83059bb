# Strict warnings on the project's own code. The fuzzing build (clang) keeps
# the warnings but does not stop on them: gcc's -Werror build is the one that
# holds the code to them.
function(vidsurf_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  elseif(VIDSURF_BUILD_FUZZERS)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
endfunction()
