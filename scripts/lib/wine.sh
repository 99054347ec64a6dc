# Wine helpers shared by the test scripts (source this file).
#
#   wine_base_prefix          boots one prefix per test run (about 7 s) into
#                             $QUORRIL_WINE_BASE and prints its path
#   wine_fresh_prefix DIR     copies the base prefix to DIR (about 1.5 s)
#   wine_run PREFIX CMD...    runs a Windows program in PREFIX under Xvfb, then
#                             ends the Wine session of PREFIX
#
# This kernel runs only 64-bit code: wine64 runs the x64 builds.

WINE64=${WINE64:-/usr/lib/wine/wine64}
[ -x "$WINE64" ] || WINE64=$(command -v wine64 || true)
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer; no menu entries on the host for the Start-menu
# shortcuts that the tests make (winemenubuilder would write them below $HOME).
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}

wine_base_prefix() {
  local base=${QUORRIL_WINE_BASE:-${TMPDIR:-/tmp}/quorril-wine-base.$$}
  if [ ! -f "$base/.booted" ]; then
    rm -rf "$base"
    mkdir -p "$base"
    WINEPREFIX=$base "$WINE64" wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX=$base "$(dirname "$WINE64")/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null || true
    touch "$base/.booted"
  fi
  echo "$base"
}

wine_fresh_prefix() {
  local dir=$1 base
  base=$(wine_base_prefix)
  rm -rf "$dir"
  mkdir -p "$(dirname "$dir")"
  cp -a "$base" "$dir"
}

wine_run() {
  local prefix=$1 rc
  shift
  WINEPREFIX=$prefix xvfb-run -a -s "-screen 0 1024x768x24" "$WINE64" "$@"
  rc=$?
  # What the program left running in the session (the shell's windows of
  # the program groups it made) would keep the session alive: end it.
  WINEPREFIX=$prefix "$(dirname "$WINE64")/wineserver" -k 2>/dev/null
  return $rc
}
