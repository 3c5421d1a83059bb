#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, then builds a host program
# against the installed package twice (CMake's find_package and pkg-config)
# and runs it on an 8-bit and a 32-bit screen.
#   check_installed_host.sh BUILD_DIR HOST_SOURCE_DIR WORK_DIR PKG_CONFIG_NAME [ARGS...]
set -euo pipefail
build=$1 source=$2 work=$3 package=$4
shift 4
name=$(basename "$source")

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$source" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null

pc_dir=$(dirname "$(find "$prefix" -name 'vidsurf-platform.pc' | head -n 1)")
flags=$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs "$package")
libdir=$(PKG_CONFIG_PATH=$pc_dir pkg-config --variable=libdir "$package")
# shellcheck disable=SC2086
c++ -std=c++17 -Wall -Wextra -Werror "$source"/*.cpp $flags -Wl,-rpath,"$libdir" -o "$work/$name-pkgconfig"

for program in "$work/cmake-build/$name" "$work/$name-pkgconfig"; do
  for display in 640x480x8 1024x768x32; do
    echo "== $(basename "$program") on $display"
    VIDSURF_DISPLAY=$display "$program" "$@"
  done
done
