#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, then builds a host program
# against the installed package twice (CMake's find_package and pkg-config)
# and runs it on an 8-bit and a 32-bit screen.
#   check_installed_host.sh [OPTIONS] BUILD_DIR HOST_SOURCE_DIR WORK_DIR PKG_CONFIG_NAME [ARGS...]
# Options, for hosts that also compile sources kept elsewhere (the test-movie
# generator, say):
#   --define NAME=VALUE  passed to the host's CMake configuration
#   --source FILE        compiled into the pkg-config build too
#   --include DIR        include directory of the pkg-config build
#   --package NAME       further pkg-config package of the pkg-config build
set -euo pipefail
defines=() sources=() includes=() packages=()
while [[ $# -gt 0 && $1 == --* ]]; do
  case $1 in
    --define) defines+=("-D$2") ;;
    --source) sources+=("$2") ;;
    --include) includes+=("-I$2") ;;
    --package) packages+=("$2") ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
build=$1 source=$2 work=$3 package=$4
shift 4
name=$(basename "$source")

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$source" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" "${defines[@]}" >/dev/null
cmake --build "$work/cmake-build" >/dev/null

pc_dir=$(dirname "$(find "$prefix" -name 'vidsurf-platform.pc' | head -n 1)")
flags=$(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs "$package" "${packages[@]}")
libdir=$(PKG_CONFIG_PATH=$pc_dir pkg-config --variable=libdir "$package")
# shellcheck disable=SC2086
c++ -std=c++17 -Wall -Wextra -Werror "${includes[@]}" "$source"/*.cpp "${sources[@]}" $flags \
  -Wl,-rpath,"$libdir" -o "$work/$name-pkgconfig"

for program in "$work/cmake-build/$name" "$work/$name-pkgconfig"; do
  for display in 640x480x8 1024x768x32; do
    echo "== $(basename "$program") on $display"
    VIDSURF_DISPLAY=$display "$program" "$@"
  done
done
