#!/usr/bin/env bash
# Runs test programs on Qt's wayland platform under a private weston (its headless backend and
# desktop shell, which leaves the window decorations to the program as GNOME does).
# Usage: on-wayland.sh PROGRAM...  Fails if any program fails.
set -euo pipefail
work=$(mktemp -d)
chmod 700 "$work"
compositor=
trap 'kill $compositor 2>/dev/null || true; rm -rf "$work"' EXIT
cat >"$work/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
panel-position=none
locking=false
INI
export XDG_RUNTIME_DIR="$work" WAYLAND_DISPLAY=wayland-karvel-test QT_QPA_PLATFORM=wayland
# No seat on the headless backend: Qt's own Wayland input method would crash without one.
export QT_IM_MODULE=compose
unset DISPLAY
# Qt's wayland platform keeps allocations of the Wayland library and of its unloaded plugins for
# the life of the process, which a leak checker reports (leaks are checked in the other runs).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
weston --backend=headless-backend.so --shell=desktop-shell.so --width=1280 --height=800 \
    --socket="$WAYLAND_DISPLAY" --config="$work/weston.ini" --log="$work/weston.log" &
compositor=$!
for _ in $(seq 100); do
    [ -S "$work/$WAYLAND_DISPLAY" ] && break
    sleep 0.1
done
[ -S "$work/$WAYLAND_DISPLAY" ] || { cat "$work/weston.log" >&2; exit 1; }
status=0
for program in "$@"; do
    echo "== $program on $WAYLAND_DISPLAY (wayland, weston)"
    "$program" || status=1
done
exit $status
