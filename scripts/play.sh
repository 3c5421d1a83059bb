#!/usr/bin/env bash
# Builds vidsurf (with reelplay, the interactive player) and plays the
# bundled sample movie (or the movie given) with reelrun: the library's
# scripted exercise in real time, that is two full plays with seeks past the
# end and two pauses between them (about nine seconds for the four-second
# sample), printing its progress lines.
# With a desktop display the screen shows in a window; either way it is
# saved as PNG images, once a second and at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target reelrun reelplay >/dev/null
snapshots=build/reelrun-screens
rm -rf "$snapshots"
mkdir -p "$snapshots"
status=0
VIDSURF_DISPLAY=${VIDSURF_DISPLAY:-640x480x32} VIDSURF_SNAPSHOTS=$snapshots \
  build/tools/reelrun/reelrun "${1:-samples/reel.avi}" || status=$?
count=$(find "$snapshots" -name '*.png' | wc -l)
echo "The screen as played: $count PNG images in $snapshots/ (screen-001.png on, screen-end.png last)"
exit "$status"
