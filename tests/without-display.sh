#!/bin/sh
# usage: without-display.sh PROGRAM
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1)
status=$?
echo "status $status, output: $output"
[ "$status" -ne 0 ] || exit 1
[ "$(printf '%s\n' "$output" | wc -l)" -eq 1 ] || exit 1
printf '%s\n' "$output" | grep -q 'няма достъпен дисплей' || exit 1
