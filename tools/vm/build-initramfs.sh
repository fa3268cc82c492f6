#!/usr/bin/env bash
# Builds the virtual machine's initramfs: busybox, the program, tallowmerectl, the switch
# emulators and timed-lines (the benchmark's typist) with the shared libraries they load, Debian's udev (systemd-udevd, udevadm and their
# rules) with the repository's rule kept aside for the scenarios to install, the kernel modules
# the scenarios need, and the scenarios.
#   build-initramfs.sh BUILD_DIR KERNEL_CACHE SCENARIO_DIR OUTPUT
set -euo pipefail
build=$(cd "$1" && pwd)
cache=$(cd "$2" && pwd)
scenarios=$(cd "$3" && pwd)
output=$4
here=$(cd "$(dirname "$0")" && pwd)
rule=$here/../../platform/linux/70-tallowmere.rules
release=$(cat "$cache/release")

stage=$build/vm-initramfs
rm -rf "$stage"
mkdir -p "$stage"/{bin,dev,proc,sys,tmp,run,etc,scenarios,opt/tallowmere}

cp /bin/busybox "$stage/bin/busybox"
cp "$here/init" "$stage/init"
chmod 755 "$stage/init"
cp "$scenarios"/*.sh "$stage/scenarios/"

# The programs keep the build tree's layout (bin/ beside share/tallowmere/), so that each finds
# its resources from its own location as after installation.
mkdir -p "$stage/opt/tallowmere/bin" "$stage/opt/tallowmere/share"
programs=(tallowmere tallowmerectl uhid-switch gadget-switch timed-lines)
for program in "${programs[@]}"; do
  cp "$build/bin/$program" "$stage/opt/tallowmere/bin/"
done
cp -r "$build/share/tallowmere" "$stage/opt/tallowmere/share/"
# Not installed at boot: the scenarios about access install it as a person would.
cp "$rule" "$stage/opt/tallowmere/70-tallowmere.rules"

# Debian's udev as its package installs it: the daemon, udevadm, udev.conf and the package's own
# helpers and rules in /lib/udev (its hardware database left out: nothing here looks a device up
# in it), with the seat rules that the systemd package adds for logind (70-uaccess, 71-seat,
# 73-seat-late: the last runs the uaccess step). Other packages' rules are left out.
udev_files=$(
  dpkg -L udev | grep -E '^(/lib/systemd/systemd-udevd|/bin/udevadm|/etc/udev/udev.conf|/lib/udev/.*)$' |
    grep -v -E '^/lib/udev/hwdb' || true
  dpkg -L systemd | grep -E '^/lib/udev/rules.d/7[0-3]-[a-z-]+\.rules$' || true
)
for file in $udev_files; do
  [ -f "$file" ] || continue
  mkdir -p "$stage$(dirname "$file")"
  cp -L "$file" "$stage$file"
done
mkdir -p "$stage/etc/udev/rules.d"
binaries=("${programs[@]/#/$build/bin/}")
for file in $udev_files; do
  [ -f "$file" ] && [ -x "$file" ] && binaries+=("$file")
done

# The shared libraries, at the paths the dynamic loader looks for them.
for binary in "${binaries[@]}"; do
  { ldd "$binary" || true; } | awk '/=> \// {print $3} /^\t\/[^ ]+ \(/ {print $1}'
done | sort -u | while read -r library; do
  mkdir -p "$stage$(dirname "$library")"
  cp -L "$library" "$stage$library"
done

# The modules and those they depend on, in an order that loads each after its dependencies.
modules=(uhid hid-generic usbhid dummy_hcd gadgetfs)
moddir=$cache/root/lib/modules/$release
mkdir -p "$stage/lib/modules/$release"
: >"$stage/etc/modules"
for module in "${modules[@]}"; do
  line=$(grep -E "/${module}\.ko(\.xz)?:" "$moddir/modules.dep")
  path=${line%%:*}
  read -r -a needs <<<"${line#*:}"
  for ((i = ${#needs[@]} - 1; i >= 0; i--)); do echo "${needs[i]}"; done
  echo "$path"
done | awk '!seen[$0]++' | while read -r path; do
  mkdir -p "$stage/lib/modules/$release/$(dirname "$path")"
  cp "$moddir/$path" "$stage/lib/modules/$release/$path"
  echo "/lib/modules/$release/$path" >>"$stage/etc/modules"
done

(cd "$stage" && find . | sort | busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$output"
