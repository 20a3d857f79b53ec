#!/usr/bin/env bash
# Checks a built package as a user would get it:
#   scripts/check_package.sh [--install] DEB
# lintian, desktop-file-validate and appstreamcli on what is shipped (errors fail); the package
# unpacked into a throwaway root, whose manager is started offscreen with the installed emulator
# and leaves a screenshot in build/screenshots/. With --install (root only) the package is also
# installed with dpkg, checked, and removed and purged again.
set -euo pipefail
cd "$(dirname "$0")/.."

install=0
if [ "${1:-}" = "--install" ]; then install=1; shift; fi
[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: $0 [--install] DEB" >&2; exit 2; }
deb=$(realpath "$1")
package=$(dpkg-deb -f "$deb" Package)
shots=$PWD/${ZORV_BUILD_DIR:-build}/screenshots
mkdir -p "$shots"

work=$(mktemp -d /tmp/zorv-package.XXXXXX)
emulator=
cleanup() {
  [ -n "$emulator" ] && kill "$emulator" 2>/dev/null && wait "$emulator" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

echo "== lintian"
# Errors fail; warnings and notes are listed. lintian says so when it runs as root; that is all.
lintian_status=0
lintian --fail-on error --info "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v "running with root privileges" "$work/lintian.log" || true
[ $lintian_status -eq 0 ] || fail "lintian found errors"

root=$work/root
dpkg-deb -x "$deb" "$root"

echo "== desktop entry and AppStream metadata"
for desktop in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

echo "== the unpacked programs find every library they need"
missing=$(ldd "$root"/usr/lib/"$package"/* 2>/dev/null | grep "not found" || true)
[ -z "$missing" ] || fail "libraries not found: $missing"

echo "== the unpacked manager starts with the unpacked emulator and shows its window"
# A fresh user: own data, configuration, runtime folder (its single-instance lock) and session bus.
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
export XDG_RUNTIME_DIR=$work/runtime ZORV_HID_EMULATOR_DIR=$work/emulated
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$ZORV_HID_EMULATOR_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
"$root"/usr/bin/zorv-emulator run --product 0x5062 --name package-check >"$work/emulator.log" 2>&1 &
emulator=$!
for _ in $(seq 50); do
  [ -S "$ZORV_HID_EMULATOR_DIR/package-check.sock" ] && break
  kill -0 "$emulator" 2>/dev/null || { cat "$work/emulator.log" >&2; fail "the emulator did not start"; }
  sleep 0.1
done
shot=$shots/package-main-window.png
rm -f "$shot"
status=0
ZORV_DEBUG=1 QT_QPA_PLATFORM=offscreen ZORV_SCREENSHOT=$shot \
  timeout 30 dbus-run-session -- "$root"/usr/bin/zorv-wired-manager >"$work/manager.log" 2>&1 || status=$?
if [ ! -f "$shot" ]; then
  tail -n 20 "$work/manager.log" >&2
  fail "no screenshot from the unpacked manager (exit status $status)"
fi
grep -q "^device arrival: row .*emu:" "$work/manager.log" || fail "the unpacked manager did not see the emulated keyboard"
echo "screenshot of the unpacked manager: $shot"

# The installed rule on a synthetic keyboard (tests/release/keyboard-hidraw.umockdev: product 5062
# on USB interface 1 with hidraw node 243:250): udevadm test must tag a supported product's node
# "uaccess" (logind then gives the seat's user access) and leave another product's node alone.
uaccess_tagged() {
  local product=$1 node=/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.1/0003:7A61:5062.0001/hidraw/hidraw250
  sed "s/5062/$product/g" tests/release/keyboard-hidraw.umockdev >"$work/keyboard-$product.umockdev"
  umockdev-run -d "$work/keyboard-$product.umockdev" -- udevadm test --action=add "${node//5062/$product}" \
    >"$work/udev-$product.log" 2>&1 || true
  # udevadm test records the node as if it were real; those traces go again.
  rm -f /dev/char/243:250 /run/udev/data/c243:250
  grep -q "^TAGS=.*:uaccess:" "$work/udev-$product.log"
}
check_installed_rule() {
  if ! command -v udevadm >/dev/null || ! command -v umockdev-run >/dev/null; then
    echo "udev rule not checked: udevadm test needs udev and umockdev installed"
    return
  fi
  uaccess_tagged 5062 || { cat "$work/udev-5062.log" >&2; fail "the installed rule does not tag a supported keyboard's hidraw node"; }
  ! uaccess_tagged 5099 || fail "the installed rule tags an unsupported product's hidraw node"
  echo "udev rule: a supported keyboard's hidraw node is tagged uaccess, another product's is not"
}

if [ $install -eq 1 ]; then
  [ "$(id -u)" -eq 0 ] || fail "--install needs root"
  echo "== install, check, remove and purge with dpkg"
  dpkg-query -W "$package" >/dev/null 2>&1 && fail "$package is installed already; remove it first"
  dpkg -i "$deb"
  dpkg-query -W -f='${Status}\n' "$package" | grep -q "install ok installed" || fail "not installed"
  for command in zorv-wired-manager zorv-emulator zorv-hid zorv-msg; do
    [ -x "/usr/bin/$command" ] || fail "/usr/bin/$command is missing"
  done
  zorv-hid list >/dev/null || fail "the installed zorv-hid does not run"
  check_installed_rule
  dpkg -r "$package"
  dpkg -P "$package"
  left=$(dpkg -c "$deb" | awk '{print substr($6, 2)}' | while read -r path; do
    [ -f "$path" ] || [ -L "$path" ] && echo "$path"; done || true)
  [ -z "$left" ] || fail "files left after purge: $left"
fi
echo "check_package: passed"
