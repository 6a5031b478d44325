#!/bin/sh
# Runs a Windows program of the cross-build under Wine, quietly. The first call
# makes the prefix (about 15 s); every call keeps the Wine server alive for a
# minute after its last client, so that back-to-back runs start in a fraction of
# a second instead of 2.5 s. WINEPREFIX defaults to a prefix of the clock's own
# in the home folder (ALARM_WINEPREFIX names another).
set -eu
: "${WINEPREFIX:=${ALARM_WINEPREFIX:-$HOME/.wine-alarm-clock}}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    # A prefix counts as made once wineboot has finished making it: one whose
    # making was cut short (a test ended meanwhile) has its registry files all
    # the same, and is made again.
    if [ ! -f "$WINEPREFIX/.made" ]; then
        wineboot -i >/dev/null 2>&1 9>&- && touch "$WINEPREFIX/.made" || true
    fi
    # A server started here (status 0; 2 when one runs) gets Wine's services
    # started at once with no output: they outlive the call, and a test runner
    # reading its output would otherwise wait for them to end.
    if wineserver -p60 >/dev/null 2>&1 9>&-; then
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
