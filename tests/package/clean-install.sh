#!/usr/bin/env bash
# Installs the Debian package on a minimal Debian 12 (debootstrap --variant=minbase bookworm from
# the mirror apt uses here) in a chroot, as a user would, and checks: apt resolves every
# dependency; the programs start without a display and quit; the rule, the entries, the launcher
# and the icon are where udev and the desktop look; the maintainer scripts reload udev and replay
# exactly the supported switches (a stand-in udevadm over a made-up /sys); HOTKEY.CFG lands in the
# settings folder from the menu's launcher and in the shell's folder from a shell; `apt-get remove`
# leaves nothing but those HOTKEY.CFG files.
# The minimal root and the downloaded packages are kept in BUILD_DIR/clean-install for reruns.
#   tests/package/clean-install.sh BUILD_DIR PACKAGE.deb
set -euo pipefail
build="$(cd "${1:?usage: clean-install.sh BUILD_DIR PACKAGE.deb}" && pwd)"
deb="$(cd "$(dirname "${2:?usage: clean-install.sh BUILD_DIR PACKAGE.deb}")" && pwd)/$(basename "$2")"

# Mounts made below (/proc in the root) vanish with this private mount namespace.
if [ -z "${TALLOWMERE_CLEAN_INSTALL_NS:-}" ]; then
  exec env TALLOWMERE_CLEAN_INSTALL_NS=1 unshare --mount --propagation private "$0" "$@"
fi

cache=$build/clean-install
minbase=$cache/minbase.tar
archives=$cache/archives
root=$cache/root
mkdir -p "$archives"

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
pass() { echo "passed: $*"; }
# A command inside the root, with a clean environment; as root, or as the user with --user.
in_root() {
  local spec=()
  if [ "$1" = --user ]; then spec=(--userspec="$desk_ids"); shift; fi
  chroot "${spec[@]}" "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME="$(if [ ${#spec[@]} -gt 0 ]; then echo /home/desk; else echo /root; fi)" LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

# The mirror apt uses for bookworm (one-line or deb822 sources).
shopt -s nullglob
lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
sources=(/etc/apt/sources.list.d/*.sources)
shopt -u nullglob
mirror=
for list in "${lists[@]}"; do
  if [ -f "$list" ] && [ -z "$mirror" ]; then
    mirror=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' "$list")
  fi
done
for list in "${sources[@]}"; do
  mirror=${mirror:-$(awk '/^URIs:/ { uri = $2 } /^Suites:/ && / bookworm( |$)/ && uri { print uri; exit }' "$list")}
done
[ -n "$mirror" ] || { echo "clean-install: no bookworm mirror in /etc/apt/sources.list*" >&2; exit 1; }

if [ ! -f "$minbase" ]; then
  echo "clean-install: making a minimal Debian 12 from $mirror (once)"
  rm -rf "$cache/making"
  debootstrap --variant=minbase bookworm "$cache/making" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -20 "$cache/debootstrap.log" >&2; exit 1; }
  echo "deb $mirror bookworm main" >"$cache/making/etc/apt/sources.list"
  chroot "$cache/making" apt-get update -qq
  chroot "$cache/making" apt-get clean
  tar -C "$cache/making" -cf "$minbase.part" . && mv "$minbase.part" "$minbase"
  rm -rf "$cache/making"
fi

rm -rf "$root"
mkdir -p "$root"
tar -C "$root" -xf "$minbase"
# A throw-away root: dpkg need not sync every file it unpacks.
echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
mount --rbind /proc "$root/proc"
cp -l "$archives"/*.deb "$root/var/cache/apt/archives/" 2>/dev/null || true
in_root useradd --create-home desk
desk_ids=$(awk -F: '$1 == "desk" { print $3 ":" $4 }' "$root/etc/passwd")
cp "$deb" "$root/tmp/"
package=/tmp/$(basename "$deb")

# A stand-in udevadm, first on the PATH apt gives maintainer scripts, and a made-up /sys: two supported
# switches, an unsupported device, a supported vendor's unsupported product, an interface.
cat >"$root/usr/sbin/udevadm" <<'STANDIN'
#!/bin/sh
echo "$*" >>/tmp/udevadm.log
STANDIN
chmod +x "$root/usr/sbin/udevadm"
for device in 1-1:10d5:5501 1-2:0cf6:6b01 1-3:046d:c52b 1-4:10d5:5600; do
  IFS=: read -r name vendor product <<<"$device"
  mkdir -p "$root/sys/bus/usb/devices/$name"
  echo "$vendor" >"$root/sys/bus/usb/devices/$name/idVendor"
  echo "$product" >"$root/sys/bus/usb/devices/$name/idProduct"
done
mkdir -p "$root/sys/bus/usb/devices/1-1:1.0"
expected_udevadm="control --reload-rules
trigger --action=change --subsystem-match=usb --subsystem-match=hidraw --parent-match=/sys/bus/usb/devices/1-1
trigger --action=change --subsystem-match=usb --subsystem-match=hidraw --parent-match=/sys/bus/usb/devices/1-2"

# What the root holds, but for what apt, dpkg and the kernel keep changing.
snapshot() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./sys -o -path ./dev -o -path ./tmp \
     -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./var/log \
     -o -path ./run \) -prune -o -print | sort)
}

# 1. apt resolves every dependency from the package's own Depends.
install_package() {
  in_root apt-get install -y -q -o APT::Install-Recommends=false "$package" >"$cache/install.log" 2>&1
}
if install_package || { in_root apt-get update -qq && install_package; }; then
  pass "apt-get install $(basename "$deb") ($(grep -c '^Unpacking' "$cache/install.log") packages)"
else
  tail -20 "$cache/install.log" >&2
  echo "clean-install: the package did not install" >&2
  exit 1
fi
cp -n "$root"/var/cache/apt/archives/*.deb "$archives/" 2>/dev/null || true
[ "$(cat "$root/tmp/udevadm.log" 2>/dev/null)" = "$expected_udevadm" ] &&
  pass "postinst reloads udev's rules and replays the two switches" ||
  fail "postinst called udevadm with: $(cat "$root/tmp/udevadm.log" 2>/dev/null)"
rm -f "$root/tmp/udevadm.log"
installed=$(snapshot)
package_paths=$(in_root dpkg -L tallowmere)

# 2. Where udev and the desktop look.
for path in /usr/lib/udev/rules.d/70-tallowmere.rules \
            /usr/share/applications/org.tallowmere.Tallowmere.desktop \
            /etc/xdg/autostart/org.tallowmere.Tallowmere.desktop \
            /usr/share/icons/hicolor/256x256/apps/org.tallowmere.Tallowmere.png \
            /usr/share/icons/hicolor/16x16/apps/org.tallowmere.Tallowmere.png \
            /usr/share/metainfo/org.tallowmere.Tallowmere.metainfo.xml \
            /usr/lib/systemd/user/tallowmere.service; do
  in_root test -f "$path" || fail "not in place: $path"
done
for entry in /usr/share/applications/org.tallowmere.Tallowmere.desktop \
             /etc/xdg/autostart/org.tallowmere.Tallowmere.desktop; do
  command=$(in_root sed -n 's/^Exec=//p' "$entry")
  in_root test -x "$command" || fail "$entry starts '$command', which is not an installed program"
done
[ "$failures" -eq 0 ] && pass "rule, entries, icon, metainfo and unit in place"

# 3. The programs start without a display and quit; they find their installed resources.
for program in tallowmere tallowmere-desktop; do
  if out=$(echo quit | timeout 30 chroot --userspec="$desk_ids" "$root" /usr/bin/env -i \
             HOME=/home/desk PATH=/usr/bin:/bin sh -c "cd /tmp && $program" 2>&1); then
    pass "$program starts without a display and quits"
    [[ "$out" != *"cannot be found"* ]] || fail "$program does not find its installed resources: $out"
  else
    echo "$out" >&2
    fail "$program without a display"
  fi
done

# 4. HOTKEY.CFG: in the settings folder from the menu's launcher, in the shell's folder from a
# shell. Each start stores the default hot keys when the file is missing.
launcher=/usr/libexec/tallowmere/tallowmere-launcher
in_root --user mkdir /home/desk/work
echo quit | in_root --user "$launcher" >/dev/null 2>&1 || fail "the launcher"
echo quit | in_root --user XDG_CONFIG_HOME=/home/desk/elsewhere "$launcher" >/dev/null 2>&1 ||
  fail "the launcher with XDG_CONFIG_HOME"
echo quit | in_root --user XDG_CONFIG_HOME=relative "$launcher" >/dev/null 2>&1 ||
  fail "the launcher with a relative XDG_CONFIG_HOME"
echo quit | in_root --user sh -c 'cd /home/desk/work && tallowmere' >/dev/null 2>&1 ||
  fail "tallowmere from a shell"
for file in /home/desk/.config/tallowmere/HOTKEY.CFG /home/desk/elsewhere/tallowmere/HOTKEY.CFG \
            /home/desk/work/HOTKEY.CFG; do
  [ -f "$root$file" ] || fail "no $file"
done
[ "$(stat -c %a "$root/home/desk/.config/tallowmere")" = 700 ] ||
  fail "the settings folder is not private: $(stat -c %a "$root/home/desk/.config/tallowmere")"
pass "HOTKEY.CFG in ~/.config/tallowmere (private), \$XDG_CONFIG_HOME/tallowmere, the shell's folder"

# 5. The scripting tool answers with the project's version.
version=$(dpkg-deb -f "$deb" Version)
out=$(in_root tallowmerectl --version 2>&1) && [[ "$out" == *"$version"* ]] &&
  pass "tallowmerectl --version: $out" || fail "tallowmerectl --version: $out"

# 6. apt-get remove: postrm tells udev, and only the user's HOTKEY.CFG files stay.
if in_root apt-get remove -y -q tallowmere >"$cache/remove.log" 2>&1; then
  pass "apt-get remove tallowmere"
else
  tail -20 "$cache/remove.log" >&2
  fail "apt-get remove tallowmere"
fi
[ "$(cat "$root/tmp/udevadm.log" 2>/dev/null)" = "$expected_udevadm" ] &&
  pass "postrm reloads udev's rules and replays the two switches" ||
  fail "postrm called udevadm with: $(cat "$root/tmp/udevadm.log" 2>/dev/null)"
# dpkg keeps a removed package's postrm (for a later purge) and nothing else of it.
status=$(in_root dpkg-query -W -f '${db:Status-Status}' tallowmere 2>&1) || true
[ "$status" = config-files ] || fail "after apt-get remove, dpkg holds tallowmere as '$status'"
while IFS= read -r path; do
  [ -e "$root$path" ] || [ -L "$root$path" ] || continue
  if [ -d "$root$path" ] && [ ! -L "$root$path" ] &&
     grep -qxF -- "$path" "$root"/var/lib/dpkg/info/*.list; then
    continue  # a folder other packages hold too
  fi
  fail "left behind: $path"
done <<<"$package_paths"
added=$(comm -13 <(echo "$installed") <(snapshot))
expected_added="./home/desk/.config
./home/desk/.config/tallowmere
./home/desk/.config/tallowmere/HOTKEY.CFG
./home/desk/elsewhere
./home/desk/elsewhere/tallowmere
./home/desk/elsewhere/tallowmere/HOTKEY.CFG
./home/desk/work
./home/desk/work/HOTKEY.CFG"
[ "$added" = "$expected_added" ] && pass "apt-get remove left only the user's HOTKEY.CFG files" ||
  fail "after apt-get remove, beyond the installed system:
$added"
in_root apt-get purge -y -q tallowmere >>"$cache/remove.log" 2>&1 || fail "apt-get purge tallowmere"
if in_root dpkg-query -W tallowmere >/dev/null 2>&1 ||
   compgen -G "$root/var/lib/dpkg/info/tallowmere.*" >/dev/null; then
  fail "dpkg still knows tallowmere after apt-get purge"
else
  pass "apt-get purge: dpkg forgets tallowmere"
fi

if [ "$failures" -ne 0 ]; then
  echo "clean install: $failures failed" >&2
  exit 1
fi
echo "clean install: all passed"
