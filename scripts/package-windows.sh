#!/usr/bin/env bash
# Makes the package a Windows host developer downloads:
#   scripts/package-windows.sh [OUTDIR]        (default build-package/)
# builds vidsurf.dll and reelrun.exe for 32-bit and 64-bit Windows with
# MinGW-w64 (in build-windows-i686 and build-windows-x86_64) and writes
# OUTDIR/vidsurf-VERSION-windows.zip, VERSION being the CMake project's:
#   vidsurf-VERSION-windows/
#     include/vidsurf.h, vidsurf.def, LICENSE, README.txt
#     x86/ and x64/
#       bin/vidsurf.dll, bin/reelrun.exe
#       lib/vidsurf.lib            import library for MSVC-style linkers
#       lib/libvidsurf.dll.a       import library for MinGW
#       lib/cmake/vidsurf/         find_package(vidsurf): vidsurf::vidsurf
# Prints the zip's path last. The zip appears whole or not at all.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

fail() {
  echo "package-windows: $*" >&2
  exit 1
}

# The output folder is tried before anything is built.
outdir=${1:-build-package}
mkdir -p -- "$outdir" 2>/dev/null || fail "cannot create the output folder $outdir"
probe=$(mktemp "$outdir/.vidsurf-package.XXXXXX" 2>/dev/null) || fail "cannot write to the output folder $outdir"
rm -f -- "$probe"
outdir=$(cd -- "$outdir" && pwd)

scripts/install-deps.sh llvm zip

work=$root/build-windows-package
rm -rf "$work"
mkdir -p "$work"

# package folder, MinGW target, llvm-dlltool machine
arches=("x86 i686 i386" "x64 x86_64 i386:x86-64")
version=""
for entry in "${arches[@]}"; do
  read -r folder target machine <<<"$entry"
  build=build-windows-$target
  echo "== package: $folder ($target)"
  cmake -S . -B "$build" -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$target.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "$(nproc)" >/dev/null
  cmake --install "$build" --prefix "$work/install-$folder" >/dev/null
  installed=$work/install-$folder

  built_version=$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$installed/lib/cmake/vidsurf/vidsurfConfigVersion.cmake")
  [ -n "$built_version" ] || fail "no version in $build's package files"
  [ -z "$version" ] || [ "$version" = "$built_version" ] || fail "the builds disagree on the version"
  version=$built_version
  package=$work/vidsurf-$version-windows

  mkdir -p "$package/$folder/bin" "$package/$folder/lib/cmake/vidsurf"
  cp "$installed/bin/vidsurf.dll" "$installed/bin/reelrun.exe" "$package/$folder/bin/"
  cp "$installed/lib/libvidsurf.dll.a" "$package/$folder/lib/"
  llvm-dlltool -m "$machine" -d vidsurf.def -l "$package/$folder/lib/vidsurf.lib"
  cp packaging/windows/vidsurfConfig.cmake "$installed/lib/cmake/vidsurf/vidsurfConfigVersion.cmake" \
    "$package/$folder/lib/cmake/vidsurf/"
done

mkdir -p "$package/include"
cp include/vidsurf.h "$package/include/"
cp vidsurf.def LICENSE "$package/"
sed "s/@VERSION@/$version/g" packaging/windows/README.txt >"$package/README.txt"

# Names in the zip are relative to the work folder; -X leaves out the
# owner and other Unix attributes of this machine.
name=vidsurf-$version-windows.zip
(cd "$work" && zip -q -r -X "$name" "vidsurf-$version-windows")

# Copied next to its place under a hidden name, then renamed: a failed copy
# leaves nothing that looks like the package.
partial=$outdir/.$name.partial
if ! cp "$work/$name" "$partial" 2>/dev/null || ! mv -f "$partial" "$outdir/$name"; then
  rm -f -- "$partial"
  fail "cannot write $outdir/$name"
fi
echo "$outdir/$name"
