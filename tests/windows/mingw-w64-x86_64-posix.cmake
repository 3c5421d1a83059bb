# The library's x86_64 toolchain with the POSIX-thread compilers, which
# GoogleTest needs for std::mutex. Programs link statically, so they need
# no MinGW DLL (libwinpthread included).
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/mingw-w64-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
