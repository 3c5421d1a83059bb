# Installs the vidsurf library and, on non-Windows hosts, the stand-in
# platform with its SDK-named headers, as one CMake package (`vidsurf`,
# targets vidsurf::vidsurf and vidsurf::platform) and pkg-config files.
include(CMakePackageConfigHelpers)

set(VIDSURF_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vidsurf)
set(vidsurf_installed_targets)
# pkg-config files find the prefix from their own place, so that an
# install with `cmake --install build --prefix P` works wherever P is.
file(RELATIVE_PATH VIDSURF_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)

if(TARGET vidsurf_platform)
  set_target_properties(vidsurf_platform PROPERTIES EXPORT_NAME platform)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vidsurf/platform)
  list(APPEND vidsurf_installed_targets vidsurf_platform)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/vidsurf-platform.pc.in
                 ${PROJECT_BINARY_DIR}/vidsurf-platform.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/vidsurf-platform.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

if(TARGET vidsurf)
  set_target_properties(vidsurf PROPERTIES EXPORT_NAME vidsurf INSTALL_RPATH "$ORIGIN")
  set(VIDSURF_PC_REQUIRES "")
  if(TARGET vidsurf_platform)
    set(VIDSURF_PC_REQUIRES vidsurf-platform)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/include/vidsurf.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  list(APPEND vidsurf_installed_targets vidsurf)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/vidsurf.pc.in ${PROJECT_BINARY_DIR}/vidsurf.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/vidsurf.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

install(TARGETS ${vidsurf_installed_targets}
        EXPORT vidsurfTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT vidsurfTargets NAMESPACE vidsurf:: DESTINATION ${VIDSURF_CMAKE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vidsurfConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/vidsurfConfig.cmake
                              INSTALL_DESTINATION ${VIDSURF_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vidsurfConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vidsurfConfig.cmake ${PROJECT_BINARY_DIR}/vidsurfConfigVersion.cmake
        DESTINATION ${VIDSURF_CMAKE_DIR})
