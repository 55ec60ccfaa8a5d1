#!/bin/sh
# Installs a build into a fresh staging folder, as a package would lay it out under /usr.
#   install_tree.sh BUILD_DIR TREE
set -eu
build=$1
tree=$2
rm -rf "$tree"
DESTDIR="$tree" cmake --install "$build" --prefix /usr >/dev/null
