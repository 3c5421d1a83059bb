#!/usr/bin/env bash
# Builds the library for 64-bit and 32-bit Windows with MinGW-w64, against
# the real SDK headers instead of the stand-in's, and checks that each DLL
# exports exactly the seventeen names of vidsurf.def.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# The names after EXPORTS in vidsurf.def, sorted.
interface_names() {
  sed -n '/^EXPORTS/,$p' vidsurf.def | tail -n +2 | tr -d ' \t\r' | grep -v '^$' | sort
}

# The names in a DLL's export table, sorted.
dll_export_names() {
  "$1" -p "$2" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] \(.*\)$/\1/p' | sort
}

for arch in x86_64 i686; do
  echo "== Windows $arch"
  cmake -S . -B "build-windows-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "build-windows-$arch"
  dll="build-windows-$arch/src/vidsurf.dll"
  if ! diff <(interface_names) <(dll_export_names "$arch-w64-mingw32-objdump" "$dll"); then
    echo "$dll does not export exactly the names of vidsurf.def" >&2
    exit 1
  fi
  echo "$dll exports exactly the $(interface_names | wc -l) names of vidsurf.def"
done
