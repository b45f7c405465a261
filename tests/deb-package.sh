#!/bin/sh
# usage: deb-package.sh CPACK BUILD_DIR OUTPUT_DIR PLATFORM_PLUGIN
# Builds the Debian package afresh and checks that it carries the installed
# tree and declares what the program needs beyond its shared libraries.
set -e
cpack=$1 build=$2 out=$3 plugin=$4
rm -rf "$out"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 \
    || { cat "$out.log"; exit 1; }
set -- "$out"/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || { echo "FAIL: expected one .deb, found: $*"; exit 1; }
deb=$1
dpkg-deb --field "$deb" Package Version Section Depends
echo "size: $(stat -c %s "$deb") bytes"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
depends=$(dpkg-deb --field "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//')
needs() { printf '%s\n' "$depends" | grep -qx "$1" || fail "Depends lacks $1"; }

needs fonts-liberation
plugin_package=$(dpkg-query -S "$plugin" | sed 's/[:,].*//')
needs "$plugin_package"

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in 'bin/continents-rivers' 'share/applications/.*\.desktop' 'share/metainfo/.*\.metainfo\.xml' \
            'share/icons/hicolor/32x32/apps/.*\.png' 'share/icons/hicolor/scalable/apps/.*\.svg' \
            'share/doc/continents-rivers/copyright'; do
    printf '%s\n' "$contents" | grep -qx "\./usr/$path" || fail "package lacks /usr/$path"
done

[ "$failures" -eq 0 ]
