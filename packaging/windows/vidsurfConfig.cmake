# find_package(vidsurf) for the Windows package, from its x86/ or x64/
# folder: the imported target vidsurf::vidsurf. Every path is found from
# this file's own place, so the unpacked package works wherever it lies.
# The version file beside it turns away a project of the other bitness.
get_filename_component(_vidsurf_arch_dir "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
get_filename_component(_vidsurf_package_dir "${_vidsurf_arch_dir}/.." ABSOLUTE)

# MSVC-style linkers take vidsurf.lib, MinGW's takes libvidsurf.dll.a.
if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
  set(_vidsurf_implib "${_vidsurf_arch_dir}/lib/vidsurf.lib")
else()
  set(_vidsurf_implib "${_vidsurf_arch_dir}/lib/libvidsurf.dll.a")
endif()

set(vidsurf_FOUND TRUE)
foreach(_vidsurf_file "${_vidsurf_package_dir}/include/vidsurf.h" "${_vidsurf_arch_dir}/bin/vidsurf.dll"
                      "${_vidsurf_implib}")
  if(NOT EXISTS "${_vidsurf_file}")
    set(vidsurf_FOUND FALSE)
    set(vidsurf_NOT_FOUND_MESSAGE "the package is incomplete: ${_vidsurf_file} is missing")
  endif()
endforeach()

if(vidsurf_FOUND AND NOT TARGET vidsurf::vidsurf)
  add_library(vidsurf::vidsurf SHARED IMPORTED)
  # vidsurf.h's interface speaks of DirectDraw objects, which a host makes
  # with ddraw.dll.
  set_target_properties(vidsurf::vidsurf PROPERTIES
    IMPORTED_LOCATION "${_vidsurf_arch_dir}/bin/vidsurf.dll"
    IMPORTED_IMPLIB "${_vidsurf_implib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_vidsurf_package_dir}/include"
    INTERFACE_LINK_LIBRARIES ddraw)
endif()

unset(_vidsurf_file)
unset(_vidsurf_implib)
unset(_vidsurf_arch_dir)
unset(_vidsurf_package_dir)
