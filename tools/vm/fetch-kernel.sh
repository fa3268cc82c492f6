#!/usr/bin/env bash
# Unpacks Debian's kernel package (the one linux-image-amd64 depends on) into CACHE, without
# installing it on this machine, and writes the module index for it. Prints the kernel release.
#   fetch-kernel.sh CACHE
set -euo pipefail
cache=$1
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

if [ ! -f "$cache/release" ]; then
  package=$(apt-cache depends linux-image-amd64 2>/dev/null |
    awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  if [ -z "$package" ]; then
    apt-get update -qq >&2
    package=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  fi
  rm -rf "$cache/download" "$cache/root"
  mkdir -p "$cache/download"
  # apt's download user cannot write to a folder of root's; the package is fetched as root.
  (cd "$cache/download" && apt-get download -q "$package" 2>&1 | grep -v '^W: Download is performed unsandboxed' >&2 || true)
  deb=$(ls "$cache"/download/*.deb)
  dpkg-deb -x "$deb" "$cache/root"
  rm -rf "$cache/download"
  release=$(ls "$cache/root/lib/modules")
  # Debian may compress its modules; the virtual machine's insmod takes them plain.
  find "$cache/root/lib/modules/$release" -name '*.ko.xz' -exec unxz -f {} +
  depmod -b "$cache/root" "$release"
  echo "$release" >"$cache/release"
fi
cat "$cache/release"
