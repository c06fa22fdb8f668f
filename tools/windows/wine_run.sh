#!/bin/sh
# Runs a Windows program under 64-bit wine, quietly, in the wine prefix
# that WINEPREFIX names (run_wine_tests.sh makes a private one); used by
# ctest as the Windows build's emulator and by the Windows test scripts.
#
#   wine_run.sh PROGRAM.exe [ARGUMENTS...]
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine_run.sh: WINEPREFIX is not set (run the Windows tests through tools/windows/run_wine_tests.sh)" >&2
  exit 125
fi
export WINEDEBUG=${WINEDEBUG:--all}
. "$(dirname "$0")/find_wine.sh"
if [ -n "$wine" ]; then
  exec "$wine" "$@"
fi
echo "wine_run.sh: no 64-bit wine found (install wine64)" >&2
exit 125
