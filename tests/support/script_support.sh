# What the shell tests share, sourced at their start: `die` ends the test
# with a failure and its reason; $work is a temporary folder of the test's
# own, removed when the script ends however it ends.
die() {
  echo "FAIL: $*"
  exit 1
}

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
