#!/bin/sh
# Writes manual page PAGE to OUT with its DIAGNOSTICS marker line replaced by what TOOL prints.
#   assemble.sh PAGE TOOL OUT
set -eu
line=$(grep -n '^\.\\" DIAGNOSTICS:' "$1" | cut -d: -f1)
[ -n "$line" ] || { echo "assemble.sh: $1 has no DIAGNOSTICS marker" >&2; exit 1; }
{
  head -n $((line - 1)) "$1"
  "$2"
  tail -n +$((line + 1)) "$1"
} >"$3.new"
mv "$3.new" "$3"
