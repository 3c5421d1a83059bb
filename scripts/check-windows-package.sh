#!/usr/bin/env bash
# Checks a Windows package made by scripts/package-windows.sh:
#   scripts/check-windows-package.sh ZIP UNPACKED-FOLDER
# that the zip holds exactly the files a host developer is promised, with
# no absolute path of this machine in them; that each vidsurf.lib imports
# every name of vidsurf.def as its bitness's C linkage spells it; and that
# package-windows.sh refuses an output folder it cannot write, leaving no
# zip there. scripts/wine-lane.sh runs it and then links and plays hosts
# with the unpacked package.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
zip=$1
package=$2
status=0

problem() {
  echo "package: $*" >&2
  status=1
}

top=$(basename "$zip" .zip)
expected=$(
  for file in include/vidsurf.h vidsurf.def LICENSE README.txt; do echo "$top/$file"; done
  for arch in x86 x64; do
    for file in bin/vidsurf.dll bin/reelrun.exe lib/vidsurf.lib lib/libvidsurf.dll.a \
      lib/cmake/vidsurf/vidsurfConfig.cmake lib/cmake/vidsurf/vidsurfConfigVersion.cmake; do
      echo "$top/$arch/$file"
    done
  done | sort
)
expected=$(sort <<<"$expected")
listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
diff <(echo "$expected") <(echo "$listed") >&2 || problem "$zip does not hold exactly the promised files"

# The build folders' paths must not leak into the files (the zip's names
# are relative: unzip -Z1 above lists them as they are stored).
leaks=$(grep -rlF "$root" "$package" || true)
[ -z "$leaks" ] || problem "these files name the build machine's $root: $leaks"

# The import symbols lld-link resolves a host's calls with: __imp_NAME on
# x64, __imp__NAME on x86, where a __cdecl name takes an underscore.
names=$(sed -n '/^EXPORTS/,$p' vidsurf.def | tail -n +2 | tr -d ' \t\r' | grep -v '^$')
for arch in x86 x64; do
  prefix=__imp_
  [ "$arch" = x86 ] && prefix=__imp__
  symbols=$(llvm-nm "$package/$arch/lib/vidsurf.lib" 2>/dev/null | awk '{print $NF}')
  for name in $names; do
    grep -qx "$prefix$name" <<<"$symbols" || problem "$arch/lib/vidsurf.lib has no $prefix$name"
  done
done

# An output folder that cannot be written: a clear message, a failure, and
# no zip. One lies under a plain file; the other exists read-only, which
# root can only be given in /proc.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
touch "$scratch/file"
readonly_folder=/proc/1
if [ "$(id -u)" -ne 0 ]; then
  readonly_folder=$scratch/readonly
  mkdir "$readonly_folder"
  chmod 555 "$readonly_folder"
fi
for outdir in "$scratch/file/out" "$readonly_folder"; do
  if scripts/package-windows.sh "$outdir" >"$scratch/out" 2>&1; then
    problem "package-windows.sh succeeded writing to $outdir"
  elif ! grep -q "^package-windows: cannot .* the output folder $outdir\$" "$scratch/out"; then
    problem "package-windows.sh gave no clear message for $outdir: $(cat "$scratch/out")"
  fi
  ! find "$scratch" "$outdir" -maxdepth 1 -name '*.zip*' 2>/dev/null | grep -q . || problem "a zip was left in $outdir"
done

[ $status -eq 0 ] && echo "$zip holds what it should"
exit $status
