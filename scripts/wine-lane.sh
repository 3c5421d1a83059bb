#!/usr/bin/env bash
# The Wine lane: the 32-bit (x86) and 64-bit (x64) vidsurf.dll on Wine's
# own COM, DirectDraw, GDI and multimedia streaming.
#   1. installs Wine for both bitnesses (i386 as a foreign architecture), a
#      virtual X server, the GStreamer plugins Wine decodes with, and the
#      LLVM linker tools, when they are missing;
#   2. makes the Windows package (scripts/package-windows.sh) into
#      build-wine/package and unpacks it into build-wine/unpacked; installs
#      each DLL into a stage of its own (x64: build-wine/stage, x86:
#      build-wine/stage-x86) and builds the Windows test program
#      (tests/windows) against each;
#   3. builds the package host (tests/windows/package_host) for each
#      bitness from the unpacked package twice: linked by lld-link with
#      vidsurf.lib, and with MinGW through find_package(vidsurf);
#   4. writes the test movies with the Linux moviegen;
#   5. starts Xvfb, makes a fresh Wine prefix, and for each bitness runs the
#      tests, reelrun.exe and the package hosts.
# Where 32-bit Windows programs cannot run (the i386 packages cannot be
# installed, or a trivial 32-bit program does not run under Wine, as on a
# kernel without 32-bit support), the lane says so in one line, builds and
# checks everything as before but runs only the x64 half, with Wine's 64-bit
# loader.
# The verdict comes from the tests' XML report and the programs' output,
# never from the exit code of wine alone.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/wine-display.sh
out=$root/build-wine
started=$SECONDS

say() { echo "== wine lane: $*"; }
fail() {
  echo "wine lane FAILED: $*" >&2
  exit 1
}

scripts/install-deps.sh wine64 wine libwine xvfb xauth googletest \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix lld llvm zip unzip \
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav gstreamer1.0-plugins-bad

# 32-bit programs need wine32 and Wine's 32-bit GStreamer plugins: without
# them every open fails with the library's "Error in create MMStream". They
# are installed on their own, as an i386 index may be stale or a machine's
# 64-bit libraries newer than any of its i386 ones.
no_x86=""  # why 32-bit Windows programs cannot run here, when they cannot
mkdir -p "$out"
if scripts/install-deps.sh wine32:i386 \
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-libav:i386 >"$out/install-x86.log" 2>&1; then
  cat "$out/install-x86.log"
else
  failed=$(sed -n 's/^install-deps: cannot install \([^ ]*\).*/\1/p' "$out/install-x86.log" | paste -sd ' ' -)
  no_x86="the i386 packages cannot be installed${failed:+: $failed}; see build-wine/install-x86.log"
fi

# Per bitness: the package's folder, the MinGW target, the stage, and the
# suffix of its build folders and reports (x64 keeps the lane's old names).
# All are built; those in run_arches are run.
arches=("x64 x86_64 $out/stage" "x86 i686 $out/stage-x86")
run_arches=("${arches[@]}")
suffix() { [ "$1" = x64 ] || echo "-$1"; }

# --- the package -------------------------------------------------------------
say "making the Windows package"
zip=$(scripts/package-windows.sh "$out/package" | tail -n 1) || fail "scripts/package-windows.sh failed"
[ -f "$zip" ] || fail "scripts/package-windows.sh wrote no zip"
rm -rf "$out/unpacked"
mkdir -p "$out/unpacked"
unzip -q "$zip" -d "$out/unpacked"
package=$out/unpacked/$(basename "$zip" .zip)
scripts/check-windows-package.sh "$zip" "$package" || fail "the package is not as it should be"

# --- builds ------------------------------------------------------------------
say "building"
jobs=$(nproc)
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs" --target moviegen >/dev/null

# lld-link as link.exe would link a host: the object, vidsurf.lib and the
# system's import libraries, here MinGW's, with MinGW's C runtime for main.
# That runtime names the image base as GNU ld does; the MSVC-style linker
# calls it __ImageBase (___ImageBase in x86's decorated names).
link_with_lld() {  # folder, MinGW target, object, program
  local target=$2 mingw=/usr/$2-w64-mingw32/lib gcc_lib machine=x64 image_base=__ImageBase safeseh=()
  gcc_lib=$(dirname "$("$target-w64-mingw32-gcc" -print-libgcc-file-name)")
  # MinGW's import libraries carry no safe exception handler tables.
  [ "$1" = x86 ] && machine=x86 image_base=___ImageBase safeseh=(/safeseh:no)
  lld-link /nologo /subsystem:console /machine:$machine "${safeseh[@]}" /entry:mainCRTStartup \
    /alternatename:__image_base__=$image_base /out:"$4" \
    "$mingw/crt2.o" "$gcc_lib/crtbegin.o" "$3" "$package/$1/lib/vidsurf.lib" \
    /libpath:"$mingw" /libpath:"$gcc_lib" \
    libmingw32.a libgcc.a libmingwex.a libmsvcrt.a libkernel32.a libuser32.a libgdi32.a libddraw.a \
    libadvapi32.a libshell32.a libgcc.a libmingwex.a libmsvcrt.a libkernel32.a "$gcc_lib/crtend.o"
}

for entry in "${arches[@]}"; do
  read -r folder target stage <<<"$entry"
  s=$(suffix "$folder")
  build=build-windows-$target
  rm -rf "$stage"
  cmake --install "$build" --prefix "$stage" >/dev/null
  cmp -s "$stage/bin/vidsurf.dll" "$package/$folder/bin/vidsurf.dll" ||
    fail "the $folder package's vidsurf.dll is not the one built in $build"

  tests=$out/tests$s
  cmake -S tests/windows -B "$tests" -G Ninja --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/tests/windows/mingw-w64-$target-posix.cmake" \
    -DCMAKE_PREFIX_PATH="$stage" >"$tests.configure.log" 2>&1 || { cat "$tests.configure.log"; fail "configure $folder tests"; }
  sed -n "s/^-- vidsurf.dll:/$folder vidsurf.dll:/p" "$tests.configure.log"
  cmake --build "$tests" -j "$jobs" >/dev/null

  hosts=$out/package-host$s
  rm -rf "$hosts"
  cmake -S tests/windows/package_host -B "$hosts/cmake" -G Ninja --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$target.cmake" -DCMAKE_PREFIX_PATH="$package/$folder" \
    >"$hosts.configure.log" 2>&1 || { cat "$hosts.configure.log"; fail "configure the $folder package host"; }
  cmake --build "$hosts/cmake" >/dev/null
  mkdir -p "$hosts/lld"
  "$target-w64-mingw32-gcc" -c -O2 -Wall -Wextra -Werror -I"$package/include" \
    tests/windows/package_host/package_host.c -o "$hosts/lld/package_host.o"
  link_with_lld "$folder" "$target" "$hosts/lld/package_host.o" "$hosts/lld/package_host.exe" ||
    fail "lld-link could not link the $folder package host with vidsurf.lib"
  cp "$package/$folder/bin/vidsurf.dll" "$hosts/lld/"
done

# A project of the other bitness is turned away by the package's version file.
if cmake -S tests/windows/package_host -B "$out/package-host-mismatch" -G Ninja --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$package/x86" \
  >"$out/package-host-mismatch.log" 2>&1; then
  fail "a 64-bit project found the x86 package"
fi
grep -q '32bit' "$out/package-host-mismatch.log" || { cat "$out/package-host-mismatch.log"; fail "the x86 package was refused for another reason"; }
rm -rf "$out/package-host-mismatch"

# The least 32-bit program, to find out whether Wine can run one here.
mkdir -p "$out/x86-probe"
printf '#include <stdio.h>\nint main(void) { puts("x86 runs"); return 0; }\n' >"$out/x86-probe/probe.c"
i686-w64-mingw32-gcc -O2 -static "$out/x86-probe/probe.c" -o "$out/x86-probe/probe.exe" ||
  fail "MinGW could not build the 32-bit probe"

# --- display and prefix ----------------------------------------------------
start_wine_display "$out/xvfb.log" "$out/prefix"

# Wine's own complaints (GStreamer, no sound card) go to the Unix standard
# error; the library's diagnostics are checked inside the tests.
wine_noise='^(\(wine:[0-9]+\): GStreamer-|ALSA lib |$)'

# Debian's `wine` starts the 32-bit loader whenever wine32 is installed;
# without 32-bit programs the 64-bit loader runs the 64-bit ones alone.
wine=wine
use_wine64_loader() {
  wine=$(wine64_loader) || fail "Wine's 64-bit loader is not installed"
  export WINELOADER=$wine
}

# One 64-bit prefix runs both bitnesses. It is made after wine32 is in
# place: a prefix made without it cannot start 32-bit programs.
make_prefix() {
  say "fresh Wine prefix"
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  WINEARCH=win64 "$wine" wineboot -i >"$out/wineboot.log" 2>&1 || true
  wineserver -w
  # The GDI renderer makes DirectDrawCreate fast (no OpenGL context).
  "$wine" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1 || true
  # A crashing program ends at once instead of waiting in winedbg.
  for view in 64 32; do
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d '' /f \
      /reg:$view >/dev/null 2>&1 || true
  done
  wineserver -w
}

# Why the 32-bit probe does not run, or nothing when it does.
x86_probe_fails() {
  local dir=$out/x86-probe status=0 why
  (cd "$dir" && timeout 60 "$wine" ./probe.exe >probe.out 2>probe.err) || status=$?
  [ "$status" = 0 ] && [ "$(tr -d '\r' <"$dir/probe.out")" = "x86 runs" ] && return
  if [ "$status" = 124 ]; then
    echo "a 32-bit program did not end within 60 s"
  else
    why=$(grep -Ev "$wine_noise" "$dir/probe.err" | head -n 1 || true)
    echo "a 32-bit program failed under Wine: ${why:-exit status $status}"
  fi
}

[ -z "$no_x86" ] || use_wine64_loader
make_prefix
[ -n "$no_x86" ] || no_x86=$(x86_probe_fails)
if [ -n "$no_x86" ]; then
  say "32-bit Windows programs cannot run here ($no_x86): the x86 half is skipped"
  run_arches=("${arches[0]}")
  # The 32-bit loader may have failed to make the prefix.
  if [ "$wine" = wine ]; then
    use_wine64_loader
    make_prefix
  fi
fi

# --- movies ----------------------------------------------------------------
say "writing the test movies"
rm -rf "$out/movies"
mkdir -p "$out/movies"
timeout 120 "$wine" "$out/tests/vidsurf_windows_tests.exe" --print-movies 2>/dev/null | tr -d '\r' >"$out/movies.txt" || true
[ -s "$out/movies.txt" ] || fail "the test program printed no movie list"
while read -r name args; do
  # shellcheck disable=SC2086  # the arguments are words
  build/tools/moviegen/moviegen $args "$out/movies/$name" || fail "moviegen could not write $name"
done <"$out/movies.txt"
movies_windows=$("$wine" winepath.exe -w "$out/movies")
movie=$("$wine" winepath.exe -w "$out/movies/$(head -n 1 "$out/movies.txt" | cut -d' ' -f1)")

# --- the tests -------------------------------------------------------------
run_tests() {  # folder, suffix
  local tests_exe=$out/tests$2/vidsurf_windows_tests.exe report=$out/results$2.xml
  local log=$out/tests$2.log err=$out/tests$2.err listed summary ran failures errors disabled
  say "running the $1 Windows tests"
  listed=$(timeout 120 "$wine" "$tests_exe" --gtest_list_tests 2>/dev/null | tr -d '\r' | grep -c '^  ' || true)
  rm -f "$report"
  (cd "$out" && timeout 480 "$wine" "$tests_exe" --movies="$movies_windows" --gtest_output=xml:"$(basename "$report")" \
    >"$log" 2>"$err") || true
  tr -d '\r' <"$log"
  grep -Ev "$wine_noise" "$err" >&2 || true
  [ -s "$report" ] || fail "$1: no test report: the test program did not finish"
  summary=$(grep -m1 '<testsuites ' "$report")
  attribute() { sed -n "s/.* $1=\"\\([0-9]*\\)\".*/\\1/p" <<<"$summary"; }
  ran=$(attribute tests) failures=$(attribute failures) errors=$(attribute errors) disabled=$(attribute disabled)
  { [ "$ran" -gt 0 ] && [ "$ran" = "$listed" ]; } || fail "$1: $ran tests in the report, $listed listed"
  { [ "$failures" = 0 ] && [ "$errors" = 0 ] && [ "$disabled" = 0 ]; } ||
    fail "$1: $failures failed, $errors errors, $disabled disabled"
  ! grep -q 'result="skipped"' "$report" || fail "$1: tests were skipped"
  tr -d '\r' <"$log" | grep -qx "\[  PASSED  \] $ran tests\?\." || fail "$1: no PASSED line for $ran tests"
}

# A program's exact standard output; the C runtime writes text mode, so
# each line ends in CR LF.
expect_output() {  # what, expected output, output file, then the command
  local what=$1 expected=$2 file=$3
  shift 3
  (cd "$(dirname "$1")" && timeout 120 "$wine" "./$(basename "$1")" "${@:2}" >"$file" 2>"$file.err") || true
  [ "$(cat "$file"; echo x)" = "${expected}x" ] || {
    grep -Ev "$wine_noise" "$file.err" >&2 || true
    fail "$what printed $(od -c "$file" | head -5)"
  }
}

for entry in "${run_arches[@]}"; do
  read -r folder target stage <<<"$entry"
  s=$(suffix "$folder")
  run_tests "$folder" "$s"

  say "running the $folder reelrun.exe"
  expect_output "$folder reelrun.exe" $'seek 0\r\npause 1...\r\npause 2...\r\n' "$out/reelrun$s.out" \
    "$stage/bin/reelrun.exe" "$movie"
  expect_output "$folder reelrun.exe without a movie" $'Usage : reelrun movie.ext\r\n' "$out/reelrun-usage$s.out" \
    "$stage/bin/reelrun.exe"

  for how in lld cmake; do
    say "running the $folder package host built with $how"
    expect_output "$folder package host ($how)" \
      $'160x120, 1.00 s\r\nplayed to the end\r\nthe last frame is on the screen\r\n' \
      "$out/package-host$s-$how.out" "$out/package-host$s/$how/package_host.exe" "$movie"
  done
done

say "passed in $((SECONDS - started)) s${no_x86:+, x64 only}"
