#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh and checks it as Debian's tools do: lintian
# (no errors), the metainfo (appstreamcli), both desktop entries (desktop-file-validate), the
# systemd user unit (systemd-analyze), the file list (dpkg -c) against tests/package/expected-files,
# the udev rule byte for byte the repository's, and Depends computed from the binaries.
#   tests/package/check.sh BUILD_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:?usage: check.sh BUILD_DIR}" && pwd)"
work=$build/package-check
rm -rf "$work"
mkdir -p "$work"

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
pass() { echo "passed: $*"; }

deb=$("$root/scripts/package.sh" --build "$build" --out "$work")
echo "package: $deb"
case "$(basename "$deb")" in
  tallowmere_*_"$(dpkg --print-architecture)".deb) pass "file name $(basename "$deb")" ;;
  *) fail "file name $(basename "$deb")" ;;
esac
stage=$work/stage
dpkg-deb -x "$deb" "$stage"
dpkg-deb -e "$deb" "$work/control"

# lintian: errors fail; every other tag is shown for the record.
if lintian --fail-on error --display-level '>=warning' --tag-display-limit 0 "$deb" \
     >"$work/lintian.txt" 2>&1; then
  pass "lintian: no errors"
else
  fail "lintian"
fi
sed 's/^/  lintian: /' "$work/lintian.txt"

if appstreamcli validate --explain --no-net \
     "$stage/usr/share/metainfo/org.tallowmere.Tallowmere.metainfo.xml" >"$work/appstream.txt" 2>&1; then
  pass "appstreamcli validate"
else
  cat "$work/appstream.txt" >&2
  fail "appstreamcli validate"
fi

for entry in usr/share/applications/org.tallowmere.Tallowmere.desktop \
             usr/share/tallowmere/autostart/org.tallowmere.Tallowmere.desktop; do
  if out=$(desktop-file-validate "$stage/$entry" 2>&1) && [ -z "$out" ]; then
    pass "desktop-file-validate $entry"
  else
    echo "$out" >&2
    fail "desktop-file-validate $entry"
  fi
  exec_line=$(grep '^Exec=' "$stage/$entry")
  [ "$exec_line" = "Exec=/usr/libexec/tallowmere/tallowmere-launcher" ] ||
    fail "$entry starts '$exec_line'"
done

# The user unit, as the user's manager would load it; ExecStart= must name an executable, so the
# copy checked starts the packaged program where it was unpacked.
mkdir -p -m 700 "$work/runtime"
sed "s|^ExecStart=/|ExecStart=$stage/|" "$stage/usr/lib/systemd/user/tallowmere.service" \
  >"$work/runtime/tallowmere.service"
if out=$(XDG_RUNTIME_DIR=$work/runtime systemd-analyze verify --user --man=no \
           "$work/runtime/tallowmere.service" 2>&1) && [ -z "$out" ]; then
  pass "systemd-analyze verify tallowmere.service"
else
  echo "$out" >&2
  fail "systemd-analyze verify tallowmere.service"
fi

# The file list: dpkg -c's files and links, against the expected list.
dpkg -c "$deb" | grep -v '^d' | sed -E 's/^([^ ]+ +){5}//' | sort >"$work/files"
grep -v -e '^#' -e '^$' "$here/expected-files" | sort >"$work/expected"
listed=$failures
while IFS= read -r want; do
  if [[ "$want" == *" -> "* ]]; then
    grep -qxF -- "$want" "$work/files" || fail "not in the package: $want"
  else
    grep -qx -e "$(printf '%s' "$want" | sed 's/[.[\*^$]/\\&/g')\( -> .*\)\?" "$work/files" ||
      fail "not in the package: $want"
  fi
done <"$work/expected"
while IFS= read -r have; do
  path=${have%% -> *}
  grep -qx -e "$(printf '%s' "$path" | sed 's/[.[\*^$]/\\&/g')\( -> .*\)\?" "$work/expected" ||
    fail "in the package but not expected: $have"
done <"$work/files"
[ "$failures" -eq "$listed" ] &&
  pass "dpkg -c matches expected-files ($(wc -l <"$work/files") files and links)"

cmp -s "$root/platform/linux/70-tallowmere.rules" "$stage/usr/lib/udev/rules.d/70-tallowmere.rules" ||
  fail "the packaged udev rule differs from platform/linux/70-tallowmere.rules"

# Depends comes from the binaries' libraries (shlibdeps), so it names the ones they link.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libgtk-3-0 libudev1 libusb-1.0-0; do
  [[ ", $depends," == *", $library "* ]] || fail "Depends lacks $library"
done
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "no executable $script"
done

if [ "$failures" -ne 0 ]; then
  echo "package checks: $failures failed" >&2
  exit 1
fi
echo "package checks: all passed"
