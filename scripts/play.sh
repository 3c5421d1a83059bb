#!/usr/bin/env bash
# Builds vidsurf and plays the bundled sample movie (or the movie given).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
movie=${1:-samples/reel.avi}
if [ -x build/tools/reelplay/reelplay ]; then
  exec build/tools/reelplay/reelplay "$movie"
fi
echo "Built everything; the player arrives with the library's playback tick."
