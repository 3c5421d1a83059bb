#!/usr/bin/env bash
# Installs the Debian packages vidsurf needs to build, test and play, when
# they are missing. Safe to run again: it does nothing when all are there.
# Arguments name more packages to install the same way (e.g. clang for the
# fuzzing lane); a package of another architecture (wine32:i386) makes that
# architecture a foreign one of dpkg's first.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libsdl2-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
for p in "${missing[@]}"; do
  case "$p" in
    *:*) dpkg --print-foreign-architectures | grep -qx "${p#*:}" || $sudo dpkg --add-architecture "${p#*:}" ;;
  esac
done
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
