#!/usr/bin/env bash
# The Wine lane: the x86_64 vidsurf.dll on Wine's own COM, DirectDraw, GDI
# and multimedia streaming.
#   1. installs Wine, a virtual X server and the GStreamer plugins Wine
#      decodes with, when they are missing;
#   2. builds the DLL, installs it into build-wine/stage, and builds the
#      Windows test program (tests/windows) against that installed package;
#   3. writes the test movies with the Linux moviegen;
#   4. starts Xvfb, makes a fresh Wine prefix, runs the tests and
#      reelrun.exe.
# The verdict comes from the tests' XML report and the programs' output,
# never from the exit code of wine alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-wine
started=$SECONDS

say() { echo "== wine lane: $*"; }
fail() {
  echo "wine lane FAILED: $*" >&2
  exit 1
}

install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

scripts/install-deps.sh
install_missing wine64 wine libwine xvfb xauth googletest g++-mingw-w64-x86-64-posix \
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav gstreamer1.0-plugins-bad

# --- build -----------------------------------------------------------------
say "building"
jobs=$(nproc)
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs" --target moviegen >/dev/null
cmake -S . -B build-windows-x86_64 -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows-x86_64 -j "$jobs" >/dev/null
rm -rf "$out/stage"
cmake --install build-windows-x86_64 --prefix "$out/stage" >/dev/null
cmake -S tests/windows -B "$out/tests" -G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/tests/windows/mingw-w64-x86_64-posix.cmake" \
  -DCMAKE_PREFIX_PATH="$out/stage" >"$out/configure.log" 2>&1 || { cat "$out/configure.log"; fail "configure"; }
grep 'vidsurf.dll:' "$out/configure.log"
cmake --build "$out/tests" -j "$jobs" >/dev/null
tests_exe=$out/tests/vidsurf_windows_tests.exe
reelrun_exe=$(find "$out/stage" -name reelrun.exe | head -n 1)

# --- display and prefix ----------------------------------------------------
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display" WINEPREFIX="$out/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
[ -e "/tmp/.X11-unix/X$display" ] || fail "Xvfb did not start on :$display"

say "fresh Wine prefix"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
wine wineboot -i >"$out/wineboot.log" 2>&1 || true
wineserver -w
# The GDI renderer makes DirectDrawCreate fast (no OpenGL context).
wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1 || true
# A crashing program ends at once instead of waiting in winedbg.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f \
  >/dev/null 2>&1 || true
wineserver -w

# Wine's own complaints (GStreamer, no sound card) go to the Unix standard
# error; the library's diagnostics are checked inside the tests.
wine_noise='^(\(wine:[0-9]+\): GStreamer-|ALSA lib |$)'

# --- movies ----------------------------------------------------------------
say "writing the test movies"
rm -rf "$out/movies"
mkdir -p "$out/movies"
timeout 120 wine "$tests_exe" --print-movies 2>/dev/null | tr -d '\r' >"$out/movies.txt" || true
[ -s "$out/movies.txt" ] || fail "the test program printed no movie list"
while read -r name args; do
  # shellcheck disable=SC2086  # the arguments are words
  build/tools/moviegen/moviegen $args "$out/movies/$name" || fail "moviegen could not write $name"
done <"$out/movies.txt"
movies_windows=$(winepath -w "$out/movies")

# --- the tests -------------------------------------------------------------
say "running the Windows tests"
listed=$(timeout 120 wine "$tests_exe" --gtest_list_tests 2>/dev/null | tr -d '\r' | grep -c '^  ' || true)
rm -f "$out/results.xml"
(cd "$out" && timeout 480 wine "$tests_exe" --movies="$movies_windows" --gtest_output=xml:results.xml \
  >"$out/tests.log" 2>"$out/tests.err") || true
tr -d '\r' <"$out/tests.log"
grep -Ev "$wine_noise" "$out/tests.err" >&2 || true
[ -s "$out/results.xml" ] || fail "no test report: the test program did not finish"
summary=$(grep -m1 '<testsuites ' "$out/results.xml")
attribute() { sed -n "s/.* $1=\"\\([0-9]*\\)\".*/\\1/p" <<<"$summary"; }
ran=$(attribute tests) failures=$(attribute failures) errors=$(attribute errors) disabled=$(attribute disabled)
[ "$ran" -gt 0 ] && [ "$ran" = "$listed" ] || fail "$ran tests in the report, $listed listed"
[ "$failures" = 0 ] && [ "$errors" = 0 ] && [ "$disabled" = 0 ] ||
  fail "$failures failed, $errors errors, $disabled disabled"
! grep -q 'result="skipped"' "$out/results.xml" || fail "tests were skipped"
tr -d '\r' <"$out/tests.log" | grep -qx "\[  PASSED  \] $ran tests\?\." || fail "no PASSED line for $ran tests"

# --- reelrun.exe -------------------------------------------------------------
if [ -n "$reelrun_exe" ]; then
  say "running reelrun.exe"
  movie=$(winepath -w "$out/movies/$(head -n 1 "$out/movies.txt" | cut -d' ' -f1)")
  (cd "$(dirname "$reelrun_exe")" && timeout 120 wine ./reelrun.exe "$movie" >"$out/reelrun.out" 2>"$out/reelrun.err") || true
  # The C runtime writes text-mode output: each line ends in CR LF.
  expected=$'seek 0\r\npause 1...\r\npause 2...\r\n'
  [ "$(cat "$out/reelrun.out"; echo x)" = "${expected}x" ] ||
    fail "reelrun.exe printed $(od -c "$out/reelrun.out" | head -5)"
  (cd "$(dirname "$reelrun_exe")" && timeout 60 wine ./reelrun.exe >"$out/reelrun-usage.out" 2>/dev/null) || true
  [ "$(cat "$out/reelrun-usage.out"; echo x)" = $'Usage : reelrun movie.ext\r\nx' ] ||
    fail "reelrun.exe without a movie printed $(od -c "$out/reelrun-usage.out" | head -5)"
else
  fail "the installed package has no reelrun.exe"
fi

say "passed in $((SECONDS - started)) s"
