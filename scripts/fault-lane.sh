#!/usr/bin/env bash
# The fault lane: plays good movies through the library under AddressSanitizer
# and UndefinedBehaviorSanitizer while faults are injected, and fails on any
# crash, hang, sanitizer report, stalled tick, or thread or descriptor left
# behind. A refused open or a play that ends early under a fault is fine.
#
# Faults: allocations failing (once at a seeded call, for good from a call,
# at random with p = 0.1 and 0.5) and reads of the movie failing (EIO once
# and for good, EAGAIN, one-byte reads, failing lseek) through the LD_PRELOAD
# shim tests/faults/fault_shim.so; the movie's file truncated, overwritten,
# deleted or replaced mid-play; SDL's disk device writing into a FIFO that
# nobody reads or whose reader stops; and open/free cycles. Every run has a
# bystander movie playing beside the target, and a timeout.
#
#   scripts/fault-lane.sh                 the whole matrix (about 450 runs)
#   FAULT_ROWS="alloc-p05 fifo-none" scripts/fault-lane.sh   some rows only
#   FAULT_JOBS=1 scripts/fault-lane.sh    one run at a time (default 2; the runs on the
#                                         real clock go two at a time beside them)
#
# Each run is a script, build-asan/fault-lane/cases/ID.sh, that reruns it by
# hand; the logs of failing runs stay in build-asan/fault-lane/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# gdb prints every thread's stack when a run hangs.
scripts/install-deps.sh gdb

build=build-asan
cmake -S . -B "$build" -G Ninja -DVIDSURF_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j "$(nproc)" --target fault_host fault_shim shim_probe moviegen

out=$root/$build/fault-lane
rm -rf "$out"
mkdir -p "$out"/{movies,cases,logs,results,work}
host=$root/$build/tests/faults/fault_host
shim=$root/$build/tests/faults/fault_shim.so
probe=$root/$build/tests/faults/shim_probe
moviegen=$root/$build/tools/moviegen/moviegen
asan_runtime=$(readlink -f "$(gcc -print-file-name=libasan.so)")
jobs=${FAULT_JOBS:-2}
read -r -a only_rows <<<"${FAULT_ROWS:-}"

# The shim comes first, the sanitizer's runtime second: the shim's
# allocations go on to the sanitizer's, which sees every one of them.
# Allocation stacks are unwound the slow way: FFmpeg keeps no frame
# pointers, and a leak's stack would end in av_malloc.
sanitizer_env=(
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:handle_abort=1:verify_asan_link_order=0:fast_unwind_on_malloc=0"
  "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
  "LSAN_OPTIONS=suppressions=$root/tests/faults/ffmpeg_leaks.supp:print_suppressions=0"
  "LD_PRELOAD=$shim:$asan_runtime"
  "FAULT_HOST_GDB=$(command -v gdb)"
)

# ---- the shim in front of the sanitizer: its failures arrive, and a heap
# overflow is still reported ----
for check in fail-malloc fail-new fail-nothrow; do
  if ! env "${sanitizer_env[@]}" FAULT_ALLOC=from:1 "$probe" "$check" >"$out/probe.log" 2>&1; then
    cat "$out/probe.log"
    echo "The fault shim does not fail allocations ($check): the lane would test nothing"
    exit 1
  fi
done
for check in overflow-malloc overflow-new; do
  { env "${sanitizer_env[@]}" "$probe" "$check" >"$out/probe.log" 2>&1; } 2>/dev/null || true
  if ! grep -q "ERROR: AddressSanitizer: heap-buffer-overflow" "$out/probe.log"; then
    cat "$out/probe.log"
    echo "AddressSanitizer misses a heap overflow with the fault shim loaded ($check)"
    exit 1
  fi
done

# ---- the movies: 320x240, 3 s; the bystander 2 s ----
movies=(mpeg4-sound.avi mpeg4.avi mpeg1-sound.mpg mpeg1.mpg h264-sound.mov h264.mov)
write_movie() {  # NAME KIND ARGS...
  local name=$1 kind=$2
  shift 2
  ASAN_OPTIONS=detect_leaks=0 "$moviegen" --kind "$kind" --size 320x240 "$@" "$out/movies/$name"
}
write_movie mpeg4-sound.avi mpeg4-pcm --seconds 3 --audio
write_movie mpeg4.avi mpeg4-pcm --seconds 3 --no-audio
write_movie mpeg1-sound.mpg mpeg1 --seconds 3 --audio
write_movie mpeg1.mpg mpeg1 --seconds 3 --no-audio
write_movie h264-sound.mov h264 --seconds 3 --audio
write_movie h264.mov h264 --seconds 3 --no-audio
write_movie bystander.avi mpeg4-pcm --seconds 2 --audio
bystander=$out/movies/bystander.avi

stem() { local name=${1%.*}; echo "$name"; }
# A number from a seed and a salt, the same on every run of the lane.
mix() { echo $(((($1 * 2654435761) ^ ($2 * 40503)) % 2147483647)); }

# ---- running the cases ----
declare -A row_title
row_order=()
case_ids=()
paced_ids=()

want_row() {
  [ ${#only_rows[@]} -eq 0 ] || [ "$1" = control ] && return 0
  local row
  for row in "${only_rows[@]}"; do [ "$row" = "$1" ] && return 0; done
  return 1
}

define_row() {  # KEY TITLE
  row_title[$1]=$2
  row_order+=("$1")
}

# Writes the case's script: ID ROW SETUP CLEANUP ENV... -- HOST ARGS...
# SETUP and CLEANUP are shell lines run before and after the host; the host
# has case_timeout seconds (default 60). Cases on the real clock, which
# mostly wait, say case_paced=1: they run beside the others, two at a time.
add_case() {
  local id=$1 row=$2 setup=$3 cleanup=$4
  shift 4
  want_row "$row" || return 0
  local env_args=() host_args=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do env_args+=("$1"); shift; done
  shift
  host_args=("$@")
  local script=$out/cases/$id.sh
  {
    echo "#!/usr/bin/env bash"
    echo "# fault lane case $id: ${row_title[$row]}"
    echo "cd $(printf %q "$root")"
    [ -n "$setup" ] && echo "$setup"
    printf 'timeout -k 5 %d env' "${case_timeout:-60}"
    printf ' %q' "${sanitizer_env[@]}" "${env_args[@]}" "$host" "${host_args[@]}"
    echo
    echo 'status=$?'
    [ -n "$cleanup" ] && echo "$cleanup"
    echo 'exit $status'
  } >"$script"
  chmod +x "$script"
  echo "$row" >"$out/results/$id.row"
  if [ -n "${case_paced:-}" ]; then paced_ids+=("$id"); else case_ids+=("$id"); fi
}

# Where a report in a log points: its first frame in the project's own code
# (the shim's left out).
where_in_log() {
  local log=$1 frame
  frame=$(grep -oE "$root/(platform|src|tests)/[^ ]+:[0-9]+" "$log" | grep -v tests/faults/shim/ | head -1 || true)
  frame=${frame#"$root/"}
  echo "${frame:-outside the project}"
}

# FFmpeg 5.1's H.264 decoder goes on after some of its own allocations fail
# without returning the failure, and keeps a half-made picture among its
# references; its next flush, and even avcodec_free_context, then end in
# this assertion. No caller can recover from that, so a run that ends
# there under injected allocation failures is counted apart, not failed.
known_ffmpeg_aborts=(
  "Assertion src->f->buf[0] failed at src/libavcodec/h264_picture.c:97"
  "Assertion src->tf.f == src->f failed at src/libavcodec/h264_picture.c:98"
)

# SDL 2.26 keeps each thread's error text in a 40-byte block that
# SDL_GetErrBuf allocates the first time the thread sets an error. When the
# thread-local table cannot be allocated, reporting that failure re-enters
# SDL_GetErrBuf, and the outer call then overwrites the block the inner one
# stored: it leaks. A leak report made only of such blocks (allocated by
# realloc straight from libSDL2, 40 bytes each, and the text they point
# at) is SDL's, and counted apart with FFmpeg's aborts.
sdl_error_buffer_leak() {  # LOG -> status 0 when its leak report is only that
  awk '
    /^(Direct|Indirect) leak of/ {
      kind = $1; bytes = $4; objects = $7; frame = 0; blocks++; next
    }
    blocks && /^    #[0-9]+ / {
      frame++
      if (frame == 1 && $0 !~ /in (__interceptor_)?realloc /) bad = 1
      if (frame == 2 && $0 !~ /libSDL2/) bad = 1
      if (frame == 2 && kind == "Direct" && bytes != 40 * objects) bad = 1
    }
    END { exit !(blocks > 0 && !bad) }
  ' "$1"
}

classify() {  # LOG STATUS -> "pass" or why not
  local log=$1 status=$2 detail known
  detail=$(grep -m1 -oE "Assertion .* failed at src/libav[a-z]+/[^ ]+:[0-9]+" "$log" || true)
  if [ -n "$detail" ]; then
    for known in "${known_ffmpeg_aborts[@]}"; do
      [ "$detail" = "$known" ] && { echo "known FFmpeg fault: $detail"; return; }
    done
    echo "FFmpeg's own abort: $detail"
  elif grep -q "ERROR: LeakSanitizer" "$log" && sdl_error_buffer_leak "$log"; then
    echo "known SDL leak: the error buffer of SDL_GetErrBuf"
  elif grep -q "terminate called after throwing" "$log"; then
    detail=$(grep -m1 -A1 "terminate called after throwing" "$log" | sed -n 's/.*what(): *//p')
    echo "uncaught exception${detail:+ ($detail)} at $(where_in_log "$log")"
  elif grep -qE "ERROR: (AddressSanitizer|LeakSanitizer)|AddressSanitizer: CHECK failed" "$log"; then
    detail=$(grep -m1 -oE "ERROR: (AddressSanitizer|LeakSanitizer): [a-zA-Z-]+( on unknown address)?|CHECK failed" "$log")
    echo "${detail#ERROR: } at $(where_in_log "$log")"
  elif grep -q "runtime error:" "$log"; then
    detail=$(grep -m1 -oE 'runtime error: [^,]{0,60}' "$log")
    echo "UBSan: ${detail#runtime error: } at $(where_in_log "$log")"
  elif [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "hang: the run's timeout passed"
  elif [ "$status" -eq 3 ]; then
    echo "hang: $(sed -n 's/^outcome hang phase=//p' "$log" | head -1)"
  elif [ "$status" -gt 128 ]; then
    echo "crash: signal $((status - 128))"
  elif [ "$status" -eq 4 ]; then
    echo "left behind: $(grep -m1 -oE 'threads [0-9]+->[0-9]+ fds [0-9]+->[0-9]+' "$log")"
  elif [ "$status" -eq 5 ]; then
    echo "stall: $(grep -m1 -oE 'target=[^ ]+ bystander=[^ ]+' "$log")"
  elif [ "$status" -ne 0 ]; then
    echo "exit $status: $(grep -m1 '^fault_host:' "$log" || true)"
  else
    echo pass
  fi
}

run_case() {
  local id=$1 log=$out/logs/$id.log status=0 verdict outcome start=$SECONDS
  echo "# rerun: $out/cases/$id.sh" >"$log"
  "$out/cases/$id.sh" >>"$log" 2>&1 || status=$?
  verdict=$(classify "$log" "$status")
  outcome=$(grep -m1 '^outcome' "$log" || true)
  # Fields apart by the unit separator: an empty one (no outcome) keeps its place.
  printf '%s\x1f%s\x1f%s\n' "$verdict" "$outcome" "$((SECONDS - start))" >"$out/results/$id"
  [ "$verdict" = pass ] && rm -f "$log"
  return 0
}

run_all() {  # AT_A_TIME IDS...
  local at_a_time=$1 id running=0
  shift
  for id in "$@"; do
    run_case "$id" &
    running=$((running + 1))
    if [ "$running" -ge "$at_a_time" ]; then
      wait -n || true
      running=$((running - 1))
    fi
  done
  wait
}

# ---- fault-free runs first: they must pass, and they count how many
# allocations a play makes, armed at the open and after it, so that single
# failures can be spread over all of them ----
define_row control "no fault injected (the counts for the rows below)"
for movie in "${movies[@]}"; do
  for arm in open 0; do
    add_case "control-$(stem "$movie")-arm-$arm" control "" "" SDL_AUDIODRIVER=standin FAULT_ALLOC=once:0 -- \
      play "$out/movies/$movie" "$bystander" --arm "$arm"
  done
done
started=$(date +%s)
run_all "$jobs" "${case_ids[@]}"
declare -A calls
for movie in "${movies[@]}"; do
  for arm in open 0; do
    id=control-$(stem "$movie")-arm-$arm
    count=$(sed -n 's/.* allocations=\([0-9]*\).*/\1/p' "$out/results/$id")
    if [ -z "$count" ] || [ "$count" -eq 0 ]; then
      cat "$out/logs/$id.log"
      echo "The fault-free run $id counted no allocations: $(cat "$out/results/$id")"
      exit 1
    fi
    calls[$movie,$arm]=$count
  done
done
echo "== fault lane: ${#case_ids[@]} fault-free runs done"
case_ids=()

# The sound goes to the stand-in's virtual device or to SDL's dummy
# driver; the target presents into a smaller window (stretched) or at its
# own size.
driver_for() { (( ($1 / 2) % 2 )) && echo dummy || echo standin; }
window_for() { (( $1 % 2 )) && echo --window || true; }

# Runs that change the file or hang the device play on the real clock; the
# rest on the free clock, as fast as decoding goes.
define_row cycles "open/free cycles, 4 x 500, bystander playing"
define_row fifo-none "sound device: FIFO nobody reads (open blocks)"
define_row fifo-stops "sound device: FIFO reader stops after 2 s (writes block)"
define_row truncate "file truncated to a third at 2 s"
define_row garbage "file overwritten with noise at 2 s"
define_row delete "file deleted at 2 s"
define_row replace "file replaced by another movie at 2 s"
define_row read-at-2s "read faults armed at 2 s (real clock)"
define_row alloc-once-open "allocation fails once, armed at open"
define_row alloc-once-play "allocation fails once, armed after open"
define_row alloc-from "allocations fail for good from call N"
define_row alloc-p01 "allocations fail at p = 0.1"
define_row alloc-p05 "allocations fail at p = 0.5"
define_row read-eio-once "read: EIO once (open, mid-play)"
define_row read-eio "read: EIO for good (open, mid-play)"
define_row read-eagain "read: EAGAIN every other read (open, mid-play)"
define_row read-short "read: one byte at a time (open, mid-play)"
define_row read-lseek "read: lseek fails (open, mid-play)"

# The longest runs first, so that two at a time end together.
seed=0
for movie in mpeg4-sound.avi mpeg1-sound.mpg h264-sound.mov mpeg4.avi; do
  seed=$((seed + 1))
  # 500 cycles take 25 s alone; two at a time on a loaded machine, 60 s and more.
  case_timeout=180 add_case "cycles-$(stem "$movie")" cycles "" "" SDL_AUDIODRIVER=$(driver_for $seed) -- \
    cycles "$out/movies/$movie" "$bystander" --count 500
done

for movie in mpeg4-sound.avi h264-sound.mov; do
  for kind in none stops; do
    id=fifo-$kind-$(stem "$movie")
    fifo=$out/work/$id.fifo
    setup="rm -f $fifo; mkfifo $fifo"
    cleanup=""
    if [ "$kind" = stops ]; then
      # Reads for 2 s from the device's open, then holds the FIFO open
      # without reading.
      setup+="; ( exec 3<$fifo; timeout 2 cat <&3 >/dev/null; exec sleep 120 ) & reader=\$!"
      cleanup="kill \$reader 2>/dev/null; wait \$reader 2>/dev/null"
    fi
    case_paced=1 add_case "$id" "fifo-$kind" "$setup" "$cleanup" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null -- \
      play "$out/movies/$movie" "$bystander" --clock real --fifo "$fifo"
  done
done

seed=0
for mutation in truncate garbage delete replace; do
  for movie in "${movies[@]}"; do
    seed=$((seed + 1))
    id=$mutation-$(stem "$movie")
    copy=$out/work/$id-$movie
    replacement=$out/movies/h264.mov
    [ "$movie" = h264.mov ] && replacement=$out/movies/mpeg4.avi
    case_paced=1 add_case "$id" "$mutation" "cp $out/movies/$movie $copy" "" SDL_AUDIODRIVER=$(driver_for $seed) -- \
      play "$copy" "$bystander" --clock real --mutate "$mutation" --replacement "$replacement" $(window_for $seed)
  done
done

seed=0
for mode in eio-once eio eagain short lseek; do
  for movie in mpeg4-sound.avi h264-sound.mov; do
    seed=$((seed + 1))
    case_paced=1 add_case "read-at-2s-$mode-$(stem "$movie")" read-at-2s "" "" \
      SDL_AUDIODRIVER=$(driver_for $seed) FAULT_FILE="$out/movies/$movie" FAULT_READ=$mode -- \
      play "$out/movies/$movie" "$bystander" --clock real --arm 2 $(window_for $seed)
  done
done

# Allocation failures. Single ones fall on call numbers spread over a
# fault-free run's count.
alloc_case() {  # ROW MOVIE SEED FAULT ARM
  local row=$1 movie=$2 seed=$3 fault=$4 arm=$5
  add_case "$row-$(stem "$movie")-s$seed" "$row" "" "" \
    SDL_AUDIODRIVER=$(driver_for "$seed") FAULT_ALLOC="$fault" FAULT_SEED="$seed" -- \
    play "$out/movies/$movie" "$bystander" --arm "$arm" $(window_for "$seed")
}
for movie in "${movies[@]}"; do
  for seed in $(seq 1 20); do
    alloc_case alloc-once-open "$movie" "$seed" "once:$(($(mix "$seed" 1) % ${calls[$movie,open]} + 1))" open
  done
  for seed in $(seq 1 15); do
    alloc_case alloc-once-play "$movie" "$seed" "once:$(($(mix "$seed" 2) % ${calls[$movie,0]} + 1))" 0
  done
  for seed in 1 2 3 4; do
    arm=$( ((seed % 2)) && echo 0 || echo open)
    alloc_case alloc-from "$movie" "$seed" "from:$(($(mix "$seed" 3) % ${calls[$movie,$arm]} + 1))" "$arm"
  done
  for seed in $(seq 1 6); do
    # A third armed at the open (mostly refused), the rest after it.
    arm=$( ((seed % 3)) && echo 0 || echo open)
    alloc_case alloc-p01 "$movie" "$seed" random:0.1 "$arm"
    alloc_case alloc-p05 "$movie" "$seed" random:0.5 "$arm"
  done
done

# Read faults on the free clock: from the first read (at the open), or
# once a seeded number of bytes has been read (mid-play).
for mode in eio-once eio eagain short lseek; do
  for movie in "${movies[@]}"; do
    size=$(stat -c %s "$out/movies/$movie")
    for seed in 0 1 2; do
      after=0
      [ "$seed" -gt 0 ] && after=$((16384 + $(mix "$seed" "$size") % (size * 9 / 10)))
      add_case "read-$mode-$(stem "$movie")-s$seed" "read-$mode" "" "" \
        SDL_AUDIODRIVER=$(driver_for "$seed") FAULT_FILE="$out/movies/$movie" FAULT_READ=$mode \
        FAULT_READ_AFTER=$after -- play "$out/movies/$movie" "$bystander" --arm open $(window_for "$seed")
    done
  done
done

echo "== fault lane: ${#case_ids[@]} runs $jobs at a time, beside them ${#paced_ids[@]} on the real clock two" \
  "at a time (cases in $out/cases)"
# Each pool in a subshell of its own, so that each waits for its own runs.
(run_all 2 "${paced_ids[@]}") &
(run_all "$jobs" "${case_ids[@]}") &
wait
elapsed=$(($(date +%s) - started))

# ---- the table ----
total_passed=0
total_failed=0
known_aborts=0
: >"$out/failures.txt"
: >"$out/known-library-faults.txt"
printf '%-58s %5s %7s %7s %9s %6s  %s\n' "fault kind" runs passed failed "no fault" "time" \
  "failures: why (runs, e.g.)"
for row in "${row_order[@]}"; do
  runs=0 passed=0 failed=0 unhit=0 seconds=0 row_known=0
  declare -A reasons=() examples=()
  for rowfile in "$out"/results/*.row; do
    [ "$(cat "$rowfile")" = "$row" ] || continue
    id=$(basename "$rowfile" .row)
    runs=$((runs + 1))
    IFS=$'\x1f' read -r verdict outcome took <"$out/results/$id" || true
    seconds=$((seconds + ${took:-0}))
    case "$row" in
      alloc-* | read-*) [[ "$outcome" == *" injected=0 "* ]] && unhit=$((unhit + 1)) ;;
    esac
    if [ "$verdict" = pass ]; then
      passed=$((passed + 1))
      continue
    fi
    if [[ "$verdict" == "known "* && "$row" == alloc-* ]]; then
      known_aborts=$((known_aborts + 1))
      row_known=$((row_known + 1))
      printf '%s\t%s\n' "$id" "$verdict" >>"$out/known-library-faults.txt"
      continue
    fi
    failed=$((failed + 1))
    printf '%s\t%s\t%s\n' "$id" "$verdict" "$outcome" >>"$out/failures.txt"
    reasons[$verdict]=$((${reasons[$verdict]:-0} + 1))
    [ -n "${examples[$verdict]:-}" ] || examples[$verdict]=$id
  done
  [ "$runs" -eq 0 ] && continue
  summary=""
  for verdict in "${!reasons[@]}"; do
    summary+="${summary:+; }$verdict (${reasons[$verdict]}, e.g. ${examples[$verdict]})"
  done
  [ "$row_known" -eq 0 ] || summary+="${summary:+; }known FFmpeg or SDL fault, counted apart ($row_known)"
  unset reasons examples
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  printf '%-58s %5d %7d %7d %9s %5ds  %s\n' "${row_title[$row]}" "$runs" "$passed" "$failed" \
    "$( [[ $row == alloc-* || $row == read-* ]] && echo "$unhit" || echo -)" "$seconds" "$summary"
done
echo "Runs took ${elapsed}s. Every failing run: $out/failures.txt; its log: $out/logs/ID.log;" \
  "to rerun one: $out/cases/ID.sh"
[ "$known_aborts" -eq 0 ] ||
  echo "$known_aborts runs ended in a known FFmpeg or SDL fault, counted apart: $out/known-library-faults.txt"
echo "$total_passed passed, $total_failed failed"
# The first failing runs' reports, so that a log of the lane alone shows
# what went wrong.
head -3 "$out/failures.txt" | while IFS=$'\t' read -r id verdict _; do
  echo "---- $id: $verdict ($out/logs/$id.log)"
  grep -m1 -A30 -E "ERROR: |runtime error:|terminate called|Assertion .* failed|^outcome|^fault_host:" \
    "$out/logs/$id.log" | grep -vE "^    #[0-9]+ .* in (__libc_start|_start|start_thread|clone)" | head -30
done
# They come in about one of 25 H.264 runs at random failures; many more
# would hide how the project's own code fares.
if [ "$known_aborts" -gt 8 ]; then
  echo "Too many known FFmpeg or SDL faults ($known_aborts, at most 8 pass)"
  exit 1
fi
[ "$total_failed" -eq 0 ]
