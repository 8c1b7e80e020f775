#!/usr/bin/env bash
# Runs one Windows program under Wine in the given prefix: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is prepared and its server kept alive by wine-session.sh. ORV_DLL_OVERRIDES adds
# load orders of its own (for example "netapi32=n,b" for a library beside the program).
export WINEPREFIX="$1"; shift
export WINEDEBUG=-all WINEDLLOVERRIDES="${ORV_DLL_OVERRIDES:+$ORV_DLL_OVERRIDES;}mscoree,mshtml=" WINEARCH=win64
exec /usr/lib/wine/wine64 "$@"
