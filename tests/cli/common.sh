# What the shell checks of quorvex-calc share, sourced after `set -u` with the program's path
# as $1: `calc`, an empty working folder removed at the end, `fail` to count a failed check
# and `finish NAME` to end with the verdict.
calc=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 2
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

finish() {
  [ "$failures" = 0 ] && echo "$1: all checks passed"
  [ "$failures" = 0 ]
}
