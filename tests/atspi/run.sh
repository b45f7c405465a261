#!/bin/sh
# usage: run.sh PROGRAM
# Gives the screen reader session (screenreader.py) a display of its own, a
# window manager and a private D-Bus session, and ends each by its process id.
set -u
here=$(cd "$(dirname "$0")" && pwd)
program=$1
scratch=$(mktemp -d)
xvfb= wm=
finish() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$scratch"
}
trap finish EXIT
trap 'exit 1' INT TERM

# Xvfb picks a free display itself and writes its number once it accepts
# connections, so parallel runs never meet.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
    [ -s "$scratch/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || { cat "$scratch/xvfb.log"; exit 1; }
    sleep 0.1
done
[ -s "$scratch/display" ] || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$scratch/display")
export DISPLAY

openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
wm=$!

# Debian's python3: the one python3-pyatspi serves.
dbus-run-session -- /usr/bin/python3 "$here/screenreader.py" "$program"
