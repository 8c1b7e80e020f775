#!/usr/bin/env bash
# Runs one Windows program under Wine in the given prefix: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is prepared and its server kept alive by wine-session.sh.
export WINEPREFIX="$1"; shift
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
exec /usr/lib/wine/wine64 "$@"
