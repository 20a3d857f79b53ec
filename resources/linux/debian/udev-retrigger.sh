#!/bin/sh
# The package's postinst and postrm. Keyboards that are already plugged in follow the installed
# or removed access rule at once: without the trigger the change would only apply after
# re-plugging them or logging in again.
set -e

retrigger_keyboards() {
    # Only where udev runs (not in a chroot or a container without it).
    [ -S /run/udev/control ] || return 0
    command -v udevadm >/dev/null 2>&1 || return 0
    udevadm control --reload-rules || true
    for vendor in /sys/bus/usb/devices/*/idVendor; do
        [ -r "$vendor" ] || continue
        if [ "$(cat "$vendor")" = "7a61" ]; then
            udevadm trigger --action=change --parent-match="${vendor%/idVendor}" || true
        fi
    done
}

case "$1" in
    configure|remove|purge)
        retrigger_keyboards
        ;;
esac

exit 0
