# Sourced by scripts/test.sh and scripts/demo.sh: a throwaway Wine prefix with one
# persistent wineserver, removed again when the calling script exits.
#   wine_prefix_start   creates it and exports WINEPREFIX
#   wine_prefix_stop    stops its wineserver and deletes it (call it from an EXIT trap)
TARVO_WINE_DIR=/usr/lib/wine
export WINEDEBUG=-all
# No Mono or Gecko install prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_prefix_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && [ "${TARVO_OWN_PREFIX:-}" = "$WINEPREFIX" ]; then
    "$TARVO_WINE_DIR/wineserver" -k >/dev/null 2>&1 || true
    "$TARVO_WINE_DIR/wineserver" -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  TARVO_OWN_PREFIX=
}

wine_prefix_start() {
  WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/tarvo-wine.XXXXXX")"
  export WINEPREFIX
  TARVO_OWN_PREFIX="$WINEPREFIX"
  # One server for the whole run spares each Wine process its start-up.
  "$TARVO_WINE_DIR/wineserver" -p
  "$TARVO_WINE_DIR/wine64" wineboot -i </dev/null >"$WINEPREFIX/wineboot.log" 2>&1 || {
    cat "$WINEPREFIX/wineboot.log" >&2
    return 1
  }
}
