#!/bin/sh
# usage: installed-files.sh PREFIX
# The desktop entry, the metainfo, the icons and the program must name each
# other, or a desktop shows the program without its name or its icon.
prefix=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

set -- "$prefix"/share/applications/*.desktop
[ $# -eq 1 ] && [ -f "$1" ] || { echo "FAIL: expected one desktop entry, found: $*"; exit 1; }
entry=$1
id=$(basename "$entry" .desktop)
echo "desktop entry: $id"

key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Icon)" = "$id" ] || fail "Icon=$(key Icon), not $id"
program=$(key Exec)
[ -x "$prefix/bin/$program" ] || fail "Exec=$program is not an installed program"
# Qt on X11 names the window's class after the program file; GNOME matches
# windows to entries by it.
[ "$(key StartupWMClass)" = "$program" ] || fail "StartupWMClass=$(key StartupWMClass), not $program"

icons=$prefix/share/icons/hicolor
file "$icons/32x32/apps/$id.png" | grep -q 'PNG image data, 32 x 32' \
    || fail "no 32x32 PNG icon named $id"
file "$icons/scalable/apps/$id.svg" | grep -q 'SVG' || fail "no scalable icon named $id"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
    tag() { sed -n "s|.*<$1[^>]*>\(.*\)</$1>.*|\1|p" "$metainfo"; }
    [ "$(tag id)" = "$id" ] || fail "metainfo id $(tag id), not $id"
    [ "$(tag launchable)" = "$id.desktop" ] || fail "metainfo launchable $(tag launchable), not $id.desktop"
    [ "$(tag binary)" = "$program" ] || fail "metainfo binary $(tag binary), not $program"
    grep -q "^$(tag project_license) License" "$prefix/share/doc/$program/copyright" \
        || fail "installed licence is not the metainfo's $(tag project_license)"
else
    fail "no metainfo named $id"
fi

[ "$failures" -eq 0 ]
