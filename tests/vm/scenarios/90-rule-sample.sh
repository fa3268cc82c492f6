# The rule as udevd applies it, across the 258 vendor/product pairs it lists: a sample (the first,
# every 43rd, the last) plugged in one after the other as a USB switch. Each one's USB device node
# and hidraw node carry the uaccess tag (in TAGS and CURRENT_TAGS), and the user at the seat can
# open both for reading and writing; a pair the rule does not list gets neither.
. /scenarios/lib.sh

install_rule
rule=/etc/udev/rules.d/70-tallowmere.rules
pairs=$(sed -n 's/^SUBSYSTEM=="usb".*ATTR{idVendor}=="\([0-9a-f]*\)", ATTR{idProduct}=="\([0-9a-f]*\)".*/\1:\2/p' "$rule")
count=$(echo "$pairs" | wc -l)
echo "the rule lists $count pairs"
sample=$(echo "$pairs" | awk -v last="$count" 'NR % 43 == 1 || NR == last')
unlisted=10d5:0001
echo "$pairs" | grep -qx "$unlisted" && echo "$unlisted is listed: choose another"

# tags NODE: whether udev's database gives NODE the uaccess tag, current and past.
tags() {
  properties=$(udevadm info --query=property --name="$1")
  answer=""
  for key in TAGS CURRENT_TAGS; do
    value=$(echo "$properties" | sed -n "s/^$key=//p")
    case "$value" in
      *:uaccess:*) answer="$answer $key" ;;
    esac
  done
  echo "uaccess in${answer:- neither}"
}

# opens NODE: whether the seat's user can open NODE for reading and writing.
opens() {
  if su -s /bin/sh guest -c "true <>$1" 2>/dev/null; then echo "opens for guest"; else echo "refused to guest"; fi
}

# usb_device PAIR: the sysfs folder of the USB device with those ids, once the kernel has made
# its hidraw node; empty if that never happens.
usb_device() {
  ticks=0
  while [ "$ticks" -lt 100 ]; do
    for device in /sys/bus/usb/devices/*; do
      [ "$(cat "$device/idVendor" 2>/dev/null):$(cat "$device/idProduct" 2>/dev/null)" = "$1" ] &&
        ls -d "$device"/*:1.0/0003:*/hidraw/hidraw* >/dev/null 2>&1 && echo "$device" && return
    done
    ticks=$((ticks + 1))
    usleep 200000
  done
}

for pair in $sample $unlisted; do
  start_switch gadget-switch --id "$pair"
  usb=$(usb_device "$pair")
  if [ -z "$usb" ]; then
    echo "$pair: the kernel made no USB device with a hidraw node"
  else
    # udevd has seen both nodes once its queue is empty.
    udevadm settle --timeout=30
    hidraw=$(ls -d "$usb"/*:1.0/0003:*/hidraw/hidraw* | head -n 1)
    usbnode=/dev/$(sed -n 's/^DEVNAME=//p' "$usb/uevent")
    hidrawnode=/dev/$(basename "$hidraw")
    echo "$pair usb: $(tags "$usbnode"), $(opens "$usbnode"); hidraw: $(tags "$hidrawnode"), $(opens "$hidrawnode")"
  fi
  stop_switch
  rm -f "$work/switch.in"
done
