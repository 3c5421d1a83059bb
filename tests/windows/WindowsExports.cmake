# vidsurf_dll_exports(<imported target> <out variable>): the names that the
# target's DLL exports, read from its export table with the toolchain's
# objdump.
function(vidsurf_dll_exports target out)
  get_target_property(dll ${target} LOCATION)
  if(NOT dll OR NOT EXISTS "${dll}")
    message(FATAL_ERROR "no DLL for ${target}")
  endif()
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${dll}
    OUTPUT_VARIABLE table RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CMAKE_OBJDUMP} -p ${dll} failed")
  endif()
  # The name table's lines look like "\t[   3] streamClock".
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_]*" entries "${table}")
  set(names)
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()
