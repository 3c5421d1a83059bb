#!/usr/bin/env bash
# The fuzzing lane: builds the libFuzzer targets with clang in build-fuzz/ and
# runs each for a bounded time over a copy of the seed corpus (fuzz/corpus).
# A crash, a leak, an input that runs longer than 10 s or a process above
# 2 GiB fails the lane; the input is kept and printed.
#   scripts/fuzz.sh                                  every target, 60 s each
#   FUZZ_SECONDS=3600 FUZZ_TARGETS=stream_fuzzer_8bit scripts/fuzz.sh
#   FUZZ_ARGS="-jobs=2 -workers=2" scripts/fuzz.sh   more libFuzzer options
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
read -r -a targets <<<"${FUZZ_TARGETS:-stream_fuzzer_8bit stream_fuzzer_32bit library_fuzzer_8bit library_fuzzer_32bit}"
read -r -a extra <<<"${FUZZ_ARGS:-}"
build=build-fuzz

# Installs clang, libFuzzer's runtime and llvm-symbolizer (readable stacks).
scripts/build-fuzz.sh "${targets[@]}"
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-/usr/lib/llvm-14/bin/llvm-symbolizer}

# Findings must stop the run; leaks are checked after every input.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Prints an input the way a log can carry it: base64 when small enough.
show_input() {
  local file=$1 size
  size=$(stat -c %s "$file")
  echo "---- input $file ($size bytes)"
  if [ "$size" -le 65536 ]; then
    echo "---- base64 (decode with: base64 -d > input):"
    base64 "$file"
  else
    echo "---- too large to print; its first 512 bytes:"
    head -c 512 "$file" | od -A x -t x1z
  fi
}

runs=$(mktemp -d "${TMPDIR:-/tmp}/vidsurf-fuzz-lane.XXXXXX")
failed=()
for target in "${targets[@]}"; do
  corpus=$runs/$target/corpus
  artifacts=$runs/$target/artifacts
  log=$runs/$target/log
  mkdir -p "$corpus" "$artifacts"
  cp fuzz/corpus/* "$corpus"/
  echo "== $target: ${seconds}s over $(ls "$corpus" | wc -l) seeds (log $log)"
  status=0
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 "${extra[@]}" "$corpus" >"$log" 2>&1 || status=$?
  if [ "$status" -eq 0 ] && [ -z "$(ls -A "$artifacts")" ]; then
    grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$log" || true
    continue
  fi
  failed+=("$target")
  echo "!! $target failed (exit $status); the end of its log:"
  tail -n 120 "$log"
  for input in "$artifacts"/*; do
    [ -f "$input" ] && show_input "$input"
  done
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs kept under $runs)"
  exit 1
fi
rm -rf "$runs"
echo "Fuzzing: no findings"
