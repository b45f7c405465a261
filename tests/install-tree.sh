#!/bin/sh
# usage: install-tree.sh CMAKE BUILD_DIR PREFIX
# Installs the build afresh into PREFIX, so that no file of an earlier run
# can stand in for one the install rules no longer place.
set -e
rm -rf "$3"
"$1" --install "$2" --prefix "$3"
