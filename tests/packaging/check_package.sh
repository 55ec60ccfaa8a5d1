#!/bin/sh
# Builds the Debian package with CPack, lints it, and checks its control fields and the tree
# it unpacks to.
#   check_package.sh BUILD_DIR WORK_DIR APP_ID ICON_SIZE...
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$1
work=$2
shift 2
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$work"
mkdir -p "$work"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
deb=$(ls "$work"/*.deb)
echo "package: $(basename "$deb")"

# Lintian: errors and warnings fail the test; notes are shown only.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian reports errors or warnings"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The package names alone, one a line.
names=$(echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/[ (].*//')
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 fonts-wqy-microhei qt6-translations-l10n \
  qt6-qpa-plugins; do
  echo "$names" | grep -q -x -F "$needed" || fail "Depends lacks $needed"
done
# Excel 97-2003 workbooks are read by the program's own code.
if echo "$names" | grep -q -x -F libfreexl1; then fail "Depends names libfreexl1"; fi

# Every file belongs to root, as dpkg will install it.
owners=$(dpkg-deb -c "$deb" | awk '$2 != "root/root" { print $6 }')
[ -z "$owners" ] || fail "files not owned by root: $owners"

tree="$work/unpacked"
dpkg-deb -x "$deb" "$tree"
"$here/check_tree.sh" "$tree" "$@" || fail "the unpacked tree is incomplete"
# The programs are stripped and run from where they are installed.
"$tree/usr/bin/quorvex-calc" salary 5000 | grep -q "45.00" || fail "the packaged quorvex-calc does not compute"

[ $failures -eq 0 ] || exit 1
echo "package complete"
