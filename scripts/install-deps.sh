#!/usr/bin/env bash
# Installs the Debian packages vidsurf needs to build, test and play, when
# they are missing. Safe to run again: it does nothing when all are there.
# Arguments name more packages to install the same way (e.g. clang for the
# fuzzing lane); a package of another architecture (wine32:i386) makes that
# architecture a foreign one of dpkg's first.
#
# An index that apt-get update cannot fetch (a mirror caught mid-sync, an
# architecture a mirror lacks) is reported in one line and the lists apt
# has are used. When a package cannot be installed, the others still are,
# and each that could not be is named on standard error in a line of the form
#   install-deps: cannot install PACKAGE (apt's reason)
# before the script fails.
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
# Waits for another apt or dpkg (a fresh machine's daily upgrade) rather
# than failing at once.
apt=(${sudo:+"$sudo"} apt-get -o DPkg::Lock::Timeout=300)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

for p in "${missing[@]}"; do
  case "$p" in
    *:*) dpkg --print-foreign-architectures | grep -qx "${p#*:}" || $sudo dpkg --add-architecture "${p#*:}" ;;
  esac
done

# One line per index that could not be fetched; apt keeps the lists it had
# for those (or none), and the install below tells whether that matters.
if ! "${apt[@]}" update -qq >"$log" 2>&1; then
  while IFS= read -r line; do
    case "$line" in
      [EW]': Failed to fetch '*)
        read -r url why <<<"${line#*Failed to fetch }"
        echo "install-deps: apt-get update could not fetch $url (${why:-no reason given}): going on without it" >&2
        ;;
      'E: Some index files failed to download'*) ;; # each was named above
      [EW]': '*) echo "install-deps: apt-get update: ${line#?: }" >&2 ;;
    esac
  done <"$log"
fi

# -q, not -qq: with -qq apt leaves out the unmet dependencies.
install() { "${apt[@]}" install -y -q --no-install-recommends "$@" >"$log" 2>&1; }

# Apt's reason for a failed install, in one line: the first unmet
# dependency it lists, else dpkg's or apt's first error.
reason() {
  local unmet
  unmet=$(grep -m1 -E '^ +[^ ]+ : (Pre-?Depends|Depends|Conflicts|Breaks): ' "$log" | sed 's/^ *//') || true
  if [ -n "$unmet" ]; then
    echo "unmet dependencies, first $unmet"
  else
    { grep -m1 '^dpkg: error' "$log" || grep -m1 '^E: ' "$log" || tail -n 1 "$log"; } | sed 's/^E: //'
  fi
}

install "${missing[@]}" && exit 0
# One package that cannot be had (say, of an architecture whose index is
# stale) stops the whole transaction: the rest go in one by one.
failed=0
for p in "${missing[@]}"; do
  install "$p" || {
    echo "install-deps: cannot install $p ($(reason))" >&2
    failed=1
  }
done
exit "$failed"
