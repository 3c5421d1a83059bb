#!/usr/bin/env bash
# Builds the libFuzzer targets named (default: all four) in build-fuzz/ with
# clang, everything under AddressSanitizer and UndefinedBehaviorSanitizer;
# installs clang, libFuzzer's runtime and llvm-symbolizer when missing.
# Shared by scripts/fuzz.sh and scripts/fuzz-cost.sh, so both time and run
# the same build.
#   scripts/build-fuzz.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang libclang-rt-14-dev llvm-14
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(stream_fuzzer_8bit stream_fuzzer_32bit library_fuzzer_8bit library_fuzzer_32bit)
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVIDSURF_BUILD_FUZZERS=ON -DVIDSURF_BUILD_TESTS=OFF -DVIDSURF_BUILD_BENCHMARKS=OFF \
  -DVIDSURF_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
