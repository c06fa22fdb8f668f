# Sourced by the Windows test scripts: sets `wine` to the 64-bit wine
# (TEMPYRA_WINE when set, Debian's /usr/lib/wine/wine64, or wine64 on the
# PATH; empty when there is none) and `wineserver` to the wine server that
# goes with it. 32-bit wine is not used: these machines cannot run it.
wine=""
for candidate in "${TEMPYRA_WINE:-}" /usr/lib/wine/wine64 wine64; do
  if [ -n "$candidate" ] && command -v "$candidate" > /dev/null 2>&1; then
    wine=$candidate
    break
  fi
done
wineserver=""
if [ -n "$wine" ]; then
  wineserver=$(dirname "$(command -v "$wine")")/wineserver
  [ -x "$wineserver" ] || wineserver=wineserver
fi
