#!/usr/bin/env bash
# Builds the Debian package tallowmere_<version>_<arch>.deb: the program built in its release
# tree, then packaged by CPack from the same install rules as `cmake --install`, and copies it
# to the current folder (or --out DIR). Install it with `sudo apt install ./tallowmere_*.deb`.
#   scripts/package.sh [--build DIR] [--out DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build=$root/build/release
out=$PWD
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: scripts/package.sh [--build DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done

"$root/scripts/install-deps.sh" >&2
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" >/dev/null
rm -f "$build"/package/tallowmere_*.deb
(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
debs=("$build"/package/tallowmere_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: CPack made no single tallowmere_*.deb in $build/package" >&2
  exit 1
fi
mkdir -p "$out"
cp "${debs[0]}" "$out/"
echo "$out/$(basename "${debs[0]}")"
