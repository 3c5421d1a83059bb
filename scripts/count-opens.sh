#!/usr/bin/env bash
# Counts how many times one play of a movie opens its file. Plays MOVIE to
# its end through the library's exports with reelcheck, on the real clock
# as a host plays (so the sound track opens and plays as it would), sound
# on SDL's dummy driver, under strace, and prints one line:
#   MOVIE: opened N times
# Only opens that returned a descriptor count; failed ones, if any, are
# added in brackets.
#   scripts/count-opens.sh MOVIE
# Builds reelcheck in build/ when missing (REELCHECK names another one) and
# installs strace when missing. VIDSURF_DISPLAY may change the screen
# (default 3840x2160x32, which any movie up to 2160p fits).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ne 1 ]; then
  echo "usage: scripts/count-opens.sh MOVIE" >&2
  exit 2
fi
movie=$(realpath -e -- "$1" 2>/dev/null) || {
  echo "count-opens: no such file: $1" >&2
  exit 2
}

"$root/scripts/install-deps.sh" strace
reelcheck=${REELCHECK:-$root/build/tools/reelcheck/reelcheck}
if [ ! -x "$reelcheck" ]; then
  [ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
  cmake --build "$root/build" -j2 --target reelcheck >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vidsurf-count-opens.XXXXXX")
trap 'rm -rf "$work"' EXIT

# One trace file per thread (-ff): no call is split across lines by another
# thread's. Strings in hex (-xx), whole (-s), so any path compares exactly.
# The seccomp filter stops the process only at the traced calls, not at
# every yield of the ticking host.
trace=(strace -f -ff -qq -xx -s 65536 -e trace=openat,open -o "$work/trace")
strace --seccomp-bpf -f -qq -e trace=openat true >/dev/null 2>&1 && trace+=(--seccomp-bpf)

status=0
env -u VIDSURF_CLOCK VIDSURF_DISPLAY="${VIDSURF_DISPLAY:-3840x2160x32}" SDL_AUDIODRIVER=dummy \
  "${trace[@]}" "$reelcheck" "$movie" "$work/first.png" "$work/last.png" \
  >"$work/out" 2>"$work/err" || status=$?
if [ "$status" -ne 0 ]; then
  echo "count-opens: reelcheck failed on $1 (exit $status):" >&2
  cat "$work/err" >&2
  exit 1
fi

# The path as strace -xx prints it: every byte as \xNN.
quoted="\"$(printf '%s' "$movie" | od -An -v -tx1 | tr -d ' \n' | sed 's/../\\x&/g')\""
opened=0
failed=0
for file in "$work"/trace.*; do
  while IFS= read -r line; do
    case "$line" in
      *") = -"[0-9]*) failed=$((failed + 1)) ;;
      *") = "[0-9]*) opened=$((opened + 1)) ;;
    esac
  done < <(grep -F -- "$quoted" "$file" || true)
done

times=$([ "$opened" -eq 1 ] && echo time || echo times)
extra=$([ "$failed" -eq 0 ] || echo " (and $failed failed opens)")
echo "$1: opened $opened $times$extra"
