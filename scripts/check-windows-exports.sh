#!/usr/bin/env bash
# Checks the Windows builds that scripts/check-windows-build.sh made, with
# the MinGW objdump of each target:
#   - vidsurf.dll (and reelrun.exe, when built) import only system DLLs: the
#     MinGW runtime is linked in statically;
#   - vidsurf.dll exports nothing but names from vidsurf.def, undecorated,
#     and all seventeen of them once the build links vidsurf.def.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t interface < <(sed -n 's/^[[:space:]]\+\([A-Za-z]\+\)[[:space:]]*$/\1/p' vidsurf.def)
[ ${#interface[@]} -eq 17 ] || { echo "vidsurf.def names ${#interface[@]} functions, not 17" >&2; exit 1; }

system_dll='^(kernel32|msvcrt|ucrtbase|user32|gdi32|ole32|oleaut32|advapi32|ddraw|api-ms-win-.*)\.dll$'
status=0
problem() {
  echo "$*" >&2
  status=1
}

check_imports() {  # objdump, file, allowed extra DLL (or empty)
  local name
  while read -r name; do
    name_lower=$(tr '[:upper:]' '[:lower:]' <<<"$name")
    [[ $name_lower =~ $system_dll ]] || [ "$name_lower" = "$3" ] || problem "$2 needs $name"
  done < <("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p')
}

for arch in x86_64 i686; do
  build=build-windows-$arch
  objdump=$arch-w64-mingw32-objdump
  dll=$(find "$build" -name vidsurf.dll | head -n 1)
  [ -n "$dll" ] || { problem "no vidsurf.dll in $build"; continue; }
  check_imports "$objdump" "$dll" ""

  mapfile -t exported < <("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*\[ *[0-9]\+\] \([^ ]\+\)$/\1/p')
  for name in "${exported[@]}"; do
    printf '%s\n' "${interface[@]}" | grep -qx -- "$name" || problem "$dll exports $name, not in vidsurf.def"
  done
  linked_def=no
  grep -q 'vidsurf\.def' "$build/build.ninja" && linked_def=yes
  if [ $linked_def = yes ]; then
    for name in "${interface[@]}"; do
      printf '%s\n' "${exported[@]}" | grep -qx -- "$name" || problem "$dll does not export $name"
    done
  fi
  echo "$arch: vidsurf.dll exports ${#exported[@]} of 17 (vidsurf.def linked: $linked_def)"

  reelrun=$(find "$build" -name reelrun.exe | head -n 1)
  [ -z "$reelrun" ] || check_imports "$objdump" "$reelrun" vidsurf.dll
done
exit $status
