#!/usr/bin/env bash
# Builds vidsurf and plays the bundled sample movie (or the movie given) in
# real time. With a desktop display the virtual screen shows in a window;
# either way the last picture is saved as build/last-frame.png.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)" --target reelplay >/dev/null
exec build/tools/reelplay/reelplay --png build/last-frame.png "${1:-samples/reel.avi}"
