#!/usr/bin/env bash
# Runs test programs on a real X desktop: a private Xvfb screen with openbox as the window
# manager, on Qt's xcb platform. With KARVEL_TEST_POINT_SIZE set, the desktop's font comes in
# that size through the GTK platform theme, as a GNOME session delivers it.
# Usage: on-desktop.sh PROGRAM...  Fails if any program fails.
set -euo pipefail
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
wm=
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# The window manager owns the screen once it has set its check window on the root.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
if [ -n "${KARVEL_TEST_POINT_SIZE:-}" ]; then
    mkdir -p "$work/config/gtk-3.0"
    printf '[Settings]\ngtk-font-name=Sans %s\n' "$KARVEL_TEST_POINT_SIZE" \
        >"$work/config/gtk-3.0/settings.ini"
    export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORMTHEME=gtk3 GSETTINGS_BACKEND=memory
    # GLib and GTK keep allocations for the life of the process that a leak checker reports
    # (leaks are checked in the run at the default font).
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
fi
status=0
for program in "$@"; do
    echo "== $program on $DISPLAY (xcb, openbox${KARVEL_TEST_POINT_SIZE:+, $KARVEL_TEST_POINT_SIZE pt through GTK})"
    "$program" || status=1
done
exit $status
