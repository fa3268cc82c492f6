#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Tallowmere need.
# Quick when everything is already there: apt is only asked when a package is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config ccache
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev gettext
  libudev-dev libusb-1.0-0-dev
  libgtk-3-dev libx11-dev
  xvfb x11-xkb-utils xdotool trayer dbus-daemon
  # manual pages and the shells whose completions are tested
  mandoc groff-base man-db zsh fish
  # today's desktops for the desktop tests: KDE's global shortcuts portal, Xfce's panel hosting
  # StatusNotifierItems, sway with swaybar and grim
  dbus-bin libglib2.0-bin xdg-desktop-portal xdg-desktop-portal-kde libkf5globalaccel-bin
  xfce4-panel sway grim
  # the Debian package, its checks and the clean install into a minimal Debian root
  dpkg-dev file lintian appstream desktop-file-utils systemd debootstrap
  # the virtual machine: qemu, its initramfs and Debian's udevd inside it
  qemu-system-x86 busybox-static kmod xz-utils udev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}" </dev/null
fi
