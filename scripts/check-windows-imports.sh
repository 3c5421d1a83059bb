#!/usr/bin/env bash
# Checks that the Windows builds made by scripts/check-windows-build.sh need
# only the system's own DLLs: vidsurf.dll (and reelrun.exe, when built)
# carry the MinGW runtime statically (-static-libgcc -static-libstdc++ in
# cmake/mingw-w64-*.cmake). Reads each import table with the target's
# MinGW objdump.
set -euo pipefail
cd "$(dirname "$0")/.."

system_dll='^(kernel32|msvcrt|ucrtbase|user32|gdi32|ole32|oleaut32|advapi32|ddraw|api-ms-win-.*)\.dll$'
status=0

check_imports() {  # objdump, file, one more DLL it may need (or empty)
  local name lower count=0
  while read -r name; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$name")
    count=$((count + 1))
    if ! [[ $lower =~ $system_dll ]] && [ "$lower" != "$3" ]; then
      echo "$2 needs $name" >&2
      status=1
    fi
  done < <("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p')
  echo "$2: $count DLLs imported"
}

for arch in x86_64 i686; do
  build=build-windows-$arch
  objdump=$arch-w64-mingw32-objdump
  dll=$(find "$build" -name vidsurf.dll | head -n 1)
  if [ -z "$dll" ]; then
    echo "no vidsurf.dll in $build" >&2
    status=1
    continue
  fi
  check_imports "$objdump" "$dll" ""
  reelrun=$(find "$build" -name reelrun.exe | head -n 1)
  [ -z "$reelrun" ] || check_imports "$objdump" "$reelrun" vidsurf.dll
done
exit $status
