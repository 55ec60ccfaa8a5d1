#!/bin/sh
# Checks that an installed tree (a staging folder or an unpacked package) holds every file
# where the desktop looks for it, and that the files agree with each other.
#   check_tree.sh TREE APP_ID ICON_SIZE...
set -u
tree=$1
app_id=$2
shift 2
share="$tree/usr/share"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

executable() { [ -f "$1" ] && [ -x "$1" ] || fail "not an executable file: $1"; }
present() { [ -f "$1" ] || fail "missing: $1"; }
# The value of a key in the desktop entry's main group.
entry() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$1=//p" "$desktop" | head -n 1; }
# A PNG's width and height, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }

executable "$tree/usr/bin/quorvex"
executable "$tree/usr/bin/quorvex-calc"
# The window's sheet module, in its private folder, exporting its entry.
module=$(find "$tree/usr/lib" -path '*/quorvex/libquorvex-sheets.so' 2>/dev/null | head -n 1)
if [ -z "$module" ]; then
  fail "missing: usr/lib/.../quorvex/libquorvex-sheets.so"
else
  nm -D --defined-only "$module" | grep -q ' T quorvex_sheet_module$' || fail "$module does not export its entry"
fi

desktop="$share/applications/$app_id.desktop"
present "$desktop"
if [ -f "$desktop" ]; then
  [ "$(entry Icon)" = "$app_id" ] || fail "desktop entry's icon is '$(entry Icon)', not $app_id"
  exec_program=$(entry Exec | cut -d' ' -f1)
  [ -x "$tree/usr/bin/$exec_program" ] || fail "desktop entry starts '$exec_program', not installed in /usr/bin"
  grep -q '^Name\[zh_CN\]=' "$desktop" || fail "desktop entry has no Chinese name"
fi

metainfo="$share/metainfo/$app_id.metainfo.xml"
present "$metainfo"
if [ -f "$metainfo" ]; then
  grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo's id is not $app_id"
  grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $app_id.desktop"
fi

present "$share/icons/hicolor/scalable/apps/$app_id.svg"
for size in "$@"; do
  png="$share/icons/hicolor/${size}x$size/apps/$app_id.png"
  present "$png"
  if [ -f "$png" ]; then
    actual=$(png_size "$png")
    [ "$actual" = "${size}x$size" ] || fail "$png is $actual"
  fi
done

for page in quorvex quorvex-calc; do
  man="$share/man/man1/$page.1.gz"
  present "$man"
  if [ -f "$man" ]; then
    gzip -t "$man" || fail "$man is not a valid gzip file"
    out=$(MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null) || fail "man could not render $man"
    [ -z "$out" ] || fail "man warns on $man: $out"
  fi
done

present "$share/doc/quorvex/copyright"
present "$share/doc/quorvex/changelog.gz"

# Nothing else: a stray file (a test program, a static library) would go into the package.
unexpected=$(cd "$tree" && find . -type f | grep -v -E \
  '^\./usr/(bin/quorvex(-calc)?|lib/(.+/)?quorvex/libquorvex-sheets\.so|share/(applications|metainfo|icons/hicolor/[^/]+/apps|man/man1|doc/quorvex)/[^/]+)$')
[ -z "$unexpected" ] || fail "unexpected files: $unexpected"

[ $failures -eq 0 ] || exit 1
echo "install tree complete"
