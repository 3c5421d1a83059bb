#!/usr/bin/env bash
# Builds vidsurf with its tests and runs them all.
#   scripts/test.sh            the ordinary build, in build/
#   SANITIZE=address,undefined scripts/test.sh   in build-asan/
#   SANITIZE=thread scripts/test.sh              in build-tsan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=build
args=()
case "${SANITIZE:-}" in
  "") ;;
  thread) build=build-tsan; args+=(-DVIDSURF_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  *) build=build-asan; args+=(-DVIDSURF_SANITIZE="$SANITIZE" -DCMAKE_BUILD_TYPE=Debug) ;;
esac

jobs=$(nproc)
cmake -S . -B "$build" -G Ninja "${args[@]}" >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" -j "$jobs" --output-on-failure ${CTEST_ARGS:-}
