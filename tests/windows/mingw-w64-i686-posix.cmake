# The library's i686 toolchain with the POSIX-thread compilers, which
# GoogleTest needs for std::mutex. Programs link statically, so they need
# no MinGW DLL (libwinpthread included).
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/mingw-w64-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
