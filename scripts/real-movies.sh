#!/usr/bin/env bash
# The lane of real movies: movies made by others, shipped inside Debian
# packages (scripts/real-movies.list), played through the library and
# compared with FFmpeg's own decode of the same files.
#   1. fetches each package with apt-get download into a cache outside the
#      tree (REAL_MOVIES_CACHE, default ~/.cache/vidsurf/real-movies),
#      unpacks it with dpkg-deb -x and keeps the listed movies, so a second
#      run downloads nothing; a package or movie that cannot be had is
#      reported and skipped;
#   2. decodes each movie with FFmpeg: its frames, how many differ from the
#      one before, and its second and last frames, converted to the 32-bit
#      screen's layout with the stand-in's libswscale flags (nearest
#      neighbour), so that a difference is a wrong or damaged frame rather
#      than rounding;
#   3. plays each with reelcheck on the free clock, on a 32-bit and on an
#      8-bit screen of the movie's size. On 32 bits the distinct frames
#      shown equal FFmpeg's (+-1: the frame decoded at open is decoded over
#      by the first tick, as the library's tick does) and the first and
#      last frames shown reach 35 dB PSNR against FFmpeg's second and last
#      frames, unless the list says why they cannot; on 8 bits the movie
#      plays to its end without a fault;
#   4. plays the movies marked "wine" through reelrun.exe under Wine (the
#      x86_64 package that scripts/wine-lane.sh installs into
#      build-wine/stage, on its prefix; the Wine lane is run first when
#      they are missing), with Wine's 64-bit loader, so that it runs where
#      32-bit programs cannot: each plays the exercise to its end or is
#      refused with the one diagnostic.
# Prints a table of the movies; fails when fewer than 30 movies remain or a
# movie fails its checks.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/wine-display.sh
list=$root/scripts/real-movies.list
cache=${REAL_MOVIES_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vidsurf/real-movies}
work=$root/build/real-movies
min_movies=30
min_psnr=35
started=$SECONDS

say() { echo "== real movies: $*"; }
fail() {
  echo "real movies FAILED: $*" >&2
  exit 1
}

scripts/install-deps.sh ffmpeg

say "building reelcheck"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target reelcheck >/dev/null
reelcheck=$root/build/tools/reelcheck/reelcheck

# --- movies ----------------------------------------------------------------
# One entry per listed movie: its package, its path in the package, its
# flag and the reason its PSNR may stay low.
packages=() paths=() flags=() reasons=()
while read -r package path flag reason; do
  case "$package" in '' | '#'*) continue ;; esac
  packages+=("$package") paths+=("$path") flags+=("$flag") reasons+=("$reason")
done <"$list"

# Downloads packages into the cache: all at once, and one by one when that
# fails (a fresh machine may have no package lists yet, and a package may
# have left Debian).
download() {
  mkdir -p "$cache/debs"
  (cd "$cache/debs" && apt-get download -q "$@" >/dev/null 2>&1) && return
  apt-get update -qq >/dev/null 2>&1 || true
  local package
  for package in "$@"; do
    (cd "$cache/debs" && apt-get download -q "$package" >/dev/null 2>&1) ||
      skipped+=("package $package cannot be had")
  done
}

# Unpacks a downloaded package and keeps its listed movies.
unpack() {
  local package=$1 deb unpacked i
  deb=$(find "$cache/debs" -name "${package}_*.deb" | head -n 1)
  [ -n "$deb" ] || return 0
  unpacked=$(mktemp -d)
  if dpkg-deb -x "$deb" "$unpacked"; then
    for i in "${!packages[@]}"; do
      [ "${packages[$i]}" = "$package" ] || continue
      if [ -f "$unpacked/${paths[$i]}" ]; then
        mkdir -p "$(dirname "$cache/movies/$package/${paths[$i]}")"
        cp "$unpacked/${paths[$i]}" "$cache/movies/$package/${paths[$i]}"
      else
        # Remembered, so that later runs do not download the package again.
        mkdir -p "$(dirname "$cache/movies/$package/${paths[$i]}")"
        touch "$cache/movies/$package/${paths[$i]}.gone"
      fi
    done
  else
    skipped+=("package $package cannot be unpacked")
  fi
  # The movies are kept; the rest of the package is not needed.
  rm -rf "$unpacked" "$deb"
}

say "fetching into $cache"
missing=()
skipped=()
for i in "${!packages[@]}"; do
  [ -f "$cache/movies/${packages[$i]}/${paths[$i]}" ] || [ -f "$cache/movies/${packages[$i]}/${paths[$i]}.gone" ] && continue
  printf '%s\n' "${missing[@]}" | grep -qxF "${packages[$i]}" || missing+=("${packages[$i]}")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "downloading ${missing[*]}"
  download "${missing[@]}"
  for package in "${missing[@]}"; do unpack "$package"; done
fi
movies=()
for i in "${!packages[@]}"; do
  if [ -f "$cache/movies/${packages[$i]}/${paths[$i]}" ]; then
    movies+=("$i")
  elif [ -f "$cache/movies/${packages[$i]}/${paths[$i]}.gone" ]; then
    skipped+=("${paths[$i]##*/} is no longer in ${packages[$i]}")
  fi
done
fetch_seconds=$((SECONDS - started))
say "${#movies[@]} movies at hand"
for s in "${skipped[@]}"; do say "skipped: $s"; done
[ "${#movies[@]}" -ge "$min_movies" ] || fail "only ${#movies[@]} movies at hand, fewer than $min_movies"

# --- FFmpeg's side -----------------------------------------------------------
# Decodes the movie once: frame checksums, the first two frames and the last
# one, in the 32-bit screen's layout (BGRA).
reference() {
  local movie=$1 dir=$2
  ffmpeg -nostdin -v error -i "$movie" 2>"$dir/ffmpeg.err" \
    -filter_complex "[0:v:0]scale=flags=neighbor,format=bgra,split=3[all][first][last]" \
    -map '[all]' -fps_mode passthrough -f framemd5 "$dir/ref.md5" \
    -map '[first]' -fps_mode passthrough -frames:v 2 -f rawvideo "$dir/ref-first2.bgra" \
    -map '[last]' -fps_mode passthrough -update 1 -c:v rawvideo -f image2 "$dir/ref-last.bgra"
}

# PSNR in dB of the top left WxH of a screen image against a BGRA frame;
# "inf" when they are the same.
psnr() {
  local screen=$1 frame=$2 width=$3 height=$4
  ffmpeg -nostdin -hide_banner -i "$screen" -f rawvideo -pix_fmt bgra -video_size "${width}x$height" -i "$frame" \
    -lavfi "[0:v]crop=$width:$height:0:0,format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -f null - 2>&1 |
    sed -n 's/.*PSNR .* average:\([^ ]*\) .*/\1/p' | awk '{ print $1 == "inf" ? "inf" : sprintf("%.1f", $1) }'
}

at_least() { awk -v v="$1" -v m="$2" 'BEGIN { exit !(v == "inf" || (v != "" && v + 0 >= m)) }'; }

# --- the library's side ------------------------------------------------------
# Plays a movie with reelcheck on a screen of the given mode; its output
# line goes to DIR/BITS.out, its standard error to DIR/BITS.err.
play() {
  local movie=$1 dir=$2 mode=$3 bits=${3##*x}
  VIDSURF_CLOCK=free VIDSURF_DISPLAY=$mode SDL_AUDIODRIVER=dummy \
    timeout 300 "$reelcheck" "$movie" "$dir/first-$bits.png" "$dir/last-$bits.png" \
    >"$dir/$bits.out" 2>"$dir/$bits.err"
}

rm -rf "$work"
mkdir -p "$work"
rows=() notes=() failures=()
say "playing ${#movies[@]} movies"
for i in "${movies[@]}"; do
  movie=$cache/movies/${packages[$i]}/${paths[$i]}
  name=${paths[$i]##*/}
  dir=$work/$i
  mkdir -p "$dir"
  problems=()

  IFS=, read -r codec width height < <(ffprobe -v error -select_streams v:0 \
    -show_entries stream=codec_name,width,height -of csv=p=0 "$movie" 2>/dev/null | head -n 1) || true
  if ! [ "${width:-0}" -gt 0 ] 2>/dev/null || ! reference "$movie" "$dir" || ! [ -s "$dir/ref-last.bgra" ]; then
    failures+=("$name: FFmpeg cannot decode it: $(head -c 300 "$dir/ffmpeg.err")")
    continue
  fi
  frames=$(grep -vc '^#' "$dir/ref.md5" || true)
  distinct=$(grep -v '^#' "$dir/ref.md5" | awk -F', *' '{ print $6 }' | uniq | wc -l)
  frame_bytes=$((width * height * 4))
  tail -c "$frame_bytes" "$dir/ref-first2.bgra" >"$dir/ref-first.bgra"

  shown_distinct=- psnr_first=- psnr_last=-
  play "$movie" "$dir" "${width}x${height}x32" || problems+=("32-bit: reelcheck ended with $?")
  if [ -s "$dir/32.err" ]; then problems+=("32-bit: $(head -c 300 "$dir/32.err")"); fi
  if read -r _ size _ _ _ shown_distinct _ <"$dir/32.out"; then
    [ $((shown_distinct - distinct)) -le 1 ] && [ $((distinct - shown_distinct)) -le 1 ] ||
      problems+=("32-bit: $shown_distinct distinct frames shown, FFmpeg has $distinct")
    if [ "$size" != "${width}x$height" ]; then
      problems+=("32-bit: the library's frame is $size, FFmpeg's ${width}x$height")
    elif [ "$shown_distinct" -eq 0 ] && [ "$frames" -eq 1 ]; then
      notes+=("$name: one frame, which the library decodes at open and the first tick decodes over: nothing to compare")
    elif [ "$shown_distinct" -eq 0 ]; then
      problems+=("32-bit: no frame shown of $frames")
    else
      psnr_first=$(psnr "$dir/first-32.png" "$dir/ref-first.bgra" "$width" "$height")
      psnr_last=$(psnr "$dir/last-32.png" "$dir/ref-last.bgra" "$width" "$height")
      if ! at_least "$psnr_first" "$min_psnr" || ! at_least "$psnr_last" "$min_psnr"; then
        if [ -n "${reasons[$i]}" ]; then
          notes+=("$name: PSNR below $min_psnr dB: ${reasons[$i]}")
        else
          problems+=("32-bit: PSNR first ${psnr_first:-?}, last ${psnr_last:-?} dB, below $min_psnr")
        fi
      fi
    fi
  else
    problems+=("32-bit: no report from reelcheck")
  fi

  play "$movie" "$dir" "${width}x${height}x8" || problems+=("8-bit: reelcheck ended with $?")
  if [ -s "$dir/8.err" ]; then problems+=("8-bit: $(head -c 300 "$dir/8.err")"); fi
  [ -s "$dir/8.out" ] || problems+=("8-bit: no report from reelcheck")

  rows+=("| $name | $codec | ${width}x$height | $frames | $distinct / $shown_distinct | $psnr_first / $psnr_last |")
  for p in "${problems[@]}"; do failures+=("$name: $p"); done
  echo "   $name: ${codec}, ${width}x$height, $frames frames, $distinct / $shown_distinct distinct${problems:+ - FAILED}"
done

# --- under Wine --------------------------------------------------------------
play_seconds=$((SECONDS - started - fetch_seconds))
wine_rows=()
wine_started=$SECONDS
wine_movies=()
for i in "${movies[@]}"; do [ "${flags[$i]}" = wine ] && wine_movies+=("$i"); done
if [ ${#wine_movies[@]} -gt 0 ]; then
  reelrun_exe=$root/build-wine/stage/bin/reelrun.exe
  if [ ! -f "$reelrun_exe" ] || [ ! -d "$root/build-wine/prefix" ] || ! command -v wine >/dev/null; then
    say "no reelrun.exe or Wine prefix yet: running scripts/wine-lane.sh"
    scripts/wine-lane.sh
  fi
  [ -f "$reelrun_exe" ] || fail "the Wine package has no $reelrun_exe"
  # reelrun.exe is a 64-bit program: the 64-bit loader runs it, and Wine
  # starts the programs it needs with that loader too.
  wine64=$(wine64_loader) || fail "Wine's 64-bit loader is not installed"
  export WINELOADER=$wine64

  start_wine_display "$work/xvfb.log" "$root/build-wine/prefix"

  say "playing ${#wine_movies[@]} movies with reelrun.exe under Wine"
  # Wine's own complaints (GStreamer, no sound card) share the Unix
  # standard error with the library's diagnostic.
  wine_noise='^(\(wine:[0-9]+\): GStreamer-|ALSA lib |$)'
  played=$'seek 0\r\npause 1...\r\npause 2...\r\n'
  for i in "${wine_movies[@]}"; do
    name=${paths[$i]##*/}
    windows_path=$("$wine64" winepath.exe -w "$cache/movies/${packages[$i]}/${paths[$i]}")
    refused="Error in create MMStream for $windows_path"$'\r'
    out=$work/$i/wine.out err=$work/$i/wine.err
    status=0
    (cd "$(dirname "$reelrun_exe")" && timeout 180 "$wine64" ./reelrun.exe "$windows_path" >"$out" 2>"$err") || status=$?
    diagnostics=$(grep -Ev "$wine_noise" "$err" || true)
    if [ "$(cat "$out"; echo x)" = "${played}x" ] && [ -z "$diagnostics" ]; then
      verdict="played to the end"
    elif [ ! -s "$out" ] && [ "$diagnostics" = "$refused" ]; then
      verdict="refused with the diagnostic"
    else
      verdict="FAILED (exit $status)"
      failures+=("$name under Wine: printed $(od -c "$out" | head -3) and $(head -c 300 <<<"$diagnostics")")
    fi
    wine_rows+=("| $name | $verdict |")
    echo "   $name: $verdict"
  done
fi

# --- report --------------------------------------------------------------------
echo
echo "Real movies, $(date -u '+%d %B %Y'): ${#rows[@]} movies from $(for i in "${movies[@]}"; do echo "${packages[$i]}"; done | sort -u | wc -l) packages"
echo
echo "| Movie | Codec | Size | Frames | Distinct: FFmpeg / shown | PSNR first / last (dB) |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
if [ ${#wine_rows[@]} -gt 0 ]; then
  echo
  echo "| Under Wine (reelrun.exe) | |"
  echo "|---|---|"
  printf '%s\n' "${wine_rows[@]}"
fi
if [ $((${#notes[@]} + ${#skipped[@]})) -gt 0 ]; then
  echo
  for n in "${notes[@]}" "${skipped[@]/#/skipped: }"; do echo "- $n"; done
fi
echo
echo "Took $((SECONDS - started)) s: building and fetching $fetch_seconds s, playing $play_seconds s, Wine $((SECONDS - wine_started)) s."
if [ ${#failures[@]} -gt 0 ]; then
  printf '  %s\n' "${failures[@]}" >&2
  fail "${#failures[@]} checks failed"
fi
say "passed: ${#rows[@]} movies"
