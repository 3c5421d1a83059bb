#!/usr/bin/env bash
# What an input costs the fuzz targets, as inputs per CPU-second of the
# whole process (user + sys, from /usr/bin/time) over a fixed number of
# inputs (-runs, not a time). CPU time hardly moves with what else the
# machine does, where inputs per wall second do, so two builds compare
# paired: given several fuzz builds, each repetition runs them in turn.
# Two ways to run a target (FUZZ_COST_MODE):
#   fuzz    (default) fuzzing from a fresh copy of the corpus with a fixed
#           seed, FUZZ_COST_RUNS inputs. The inputs still differ from run
#           to run (what the decoding threads reach steers the mutations),
#           so single runs scatter by a fifth: take the median.
#   replay  every file of the corpus FUZZ_COST_RUNS / files times, no
#           mutation: the same inputs in every run, within a few percent.
#   scripts/fuzz-cost.sh            builds build-fuzz/ (scripts/build-fuzz.sh) and times it
#   scripts/fuzz-cost.sh DIR...     times these fuzz builds as they are, e.g. the
#                                   build-fuzz/ of a checkout before a change and of one after
# FUZZ_TARGETS (default: library_fuzzer_8bit library_fuzzer_32bit),
# FUZZ_COST_RUNS (inputs a run, default 3000), FUZZ_COST_REPEAT (runs of
# each target and build, default 3; the median is reported),
# FUZZ_COST_CORPUS (default fuzz/corpus).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${FUZZ_COST_RUNS:-3000}
repeat=${FUZZ_COST_REPEAT:-3}
mode=${FUZZ_COST_MODE:-fuzz}
case "$mode" in
  fuzz | replay) ;;
  *) echo "fuzz-cost: FUZZ_COST_MODE is fuzz or replay, not $mode" >&2; exit 2 ;;
esac
read -r -a targets <<<"${FUZZ_TARGETS:-library_fuzzer_8bit library_fuzzer_32bit}"
corpus=$(realpath -e -- "${FUZZ_COST_CORPUS:-$root/fuzz/corpus}")

builds=()
for dir in "$@"; do builds+=("$(realpath -e -- "$dir")"); done
if [ ${#builds[@]} -eq 0 ]; then
  "$root/scripts/build-fuzz.sh" "${targets[@]}" >/dev/null
  builds=("$root/build-fuzz")
fi
"$root/scripts/install-deps.sh" time

# As the fuzzing lane runs them: leaks checked, any finding stops the run.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

work=$(mktemp -d "${TMPDIR:-/tmp}/vidsurf-fuzz-cost.XXXXXX")
trap 'rm -rf "$work"' EXIT

files=("$corpus"/*)
each=$((runs / ${#files[@]}))
[ "$each" -ge 1 ] || each=1

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A rates
for target in "${targets[@]}"; do
  for ((i = 1; i <= repeat; i++)); do
    for build in "${builds[@]}"; do
      status=0
      if [ "$mode" = fuzz ]; then
        # libFuzzer adds what it learns to its corpus directory: a fresh copy each run.
        rm -rf "$work/corpus" "$work/artifacts"
        cp -r "$corpus" "$work/corpus"
        mkdir "$work/artifacts"
        /usr/bin/time -f '%U %S %e' -o "$work/time" "$build/fuzz/$target" -runs="$runs" -seed=1 -timeout=10 \
          -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" \
          >"$work/log" 2>&1 || status=$?
      else
        # Given files, libFuzzer runs each -runs times and exits.
        /usr/bin/time -f '%U %S %e' -o "$work/time" "$build/fuzz/$target" -runs="$each" -timeout=10 \
          -rss_limit_mb=2048 "${files[@]}" >"$work/log" 2>&1 || status=$?
      fi
      if [ "$status" -ne 0 ]; then
        echo "fuzz-cost: $build/fuzz/$target failed (exit $status); the end of its log:" >&2
        tail -n 40 "$work/log" >&2
        exit 1
      fi
      if [ "$mode" = fuzz ]; then
        inputs=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$work/log")
      else
        inputs=$((${#files[@]} * each))
      fi
      read -r user sys wall < <(tail -n 1 "$work/time")
      rate=$(awk -v n="$inputs" -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", n / (u + s) }')
      rates["$target $build"]+="$rate "
      printf '%s (%s) %s %d: %d inputs, CPU %.1f s (user %.1f, sys %.1f), wall %.1f s: %s inputs per CPU-second\n' \
        "$target" "$build" "$mode" "$i" "$inputs" "$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')" \
        "$user" "$sys" "$wall" "$rate"
    done
  done
done

for target in "${targets[@]}"; do
  for build in "${builds[@]}"; do
    read -r -a list <<<"${rates["$target $build"]}"
    printf '%s (%s): %s, median %s inputs per CPU-second over %d runs (%s)\n' "$target" "$build" "$mode" \
      "$(printf '%s\n' "${list[@]}" | median)" "$repeat" "${list[*]}"
  done
done
