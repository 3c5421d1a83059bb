#!/usr/bin/env bash
# Builds the library for 64-bit and 32-bit Windows with MinGW-w64, against
# the real SDK headers instead of the stand-in's.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for arch in x86_64 i686; do
  echo "== Windows $arch"
  cmake -S . -B "build-windows-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "build-windows-$arch"
done
