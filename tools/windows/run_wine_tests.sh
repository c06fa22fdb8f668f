#!/usr/bin/env bash
# Runs the Windows test suites of a Windows build under 64-bit wine, in a
# private wine prefix made for this run and removed after it (nothing of
# the user's ~/.wine is touched). Skips, with the reason, where wine cannot
# start (it needs a 64-bit kernel that runs Windows programs; 32-bit wine
# is not used).
#
#   run_wine_tests.sh WINDOWS_BUILD [JOBS]
set -uo pipefail
build=$1
jobs=${2:-2}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/find_wine.sh"
if [ -z "$wine" ]; then
  echo "Windows tests skipped: no 64-bit wine (install wine64)"
  exit 0
fi
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tempyra-wine-XXXXXX")
export WINEPREFIX WINEDEBUG=-all TEMPYRA_WINE=$wine
cleanup() {
  "$wineserver" -k > /dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
start=$(date +%s)
# The prefix, made once (without Mono and Gecko, which the tests do not need).
if ! WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot --init > "$WINEPREFIX.log" 2>&1; then
  echo "Windows tests skipped: wine cannot start here:"
  tail -n 5 "$WINEPREFIX.log"
  rm -f "$WINEPREFIX.log"
  exit 0
fi
rm -f "$WINEPREFIX.log"
echo "wine prefix ready in $(($(date +%s) - start)) s"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
status=$?
echo "Windows stage: $(($(date +%s) - start)) s of wine and tests"
exit $status
