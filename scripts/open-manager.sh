#!/usr/bin/env bash
# Opens the manager on your own display, in the demonstration's prefix (demo/wineprefix) with
# what the demonstration left there: the service program beside the manager, the stand-in
# generator and the three tasks. Run scripts/demo.sh once first. The service that you install
# from the manager runs while the manager is open (Wine stops a prefix's services when its last
# program ends).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
prefix="$here/demo/wineprefix"
manager="$here/demo/Program Files/Orvanti Service/OrvServiceManager.exe"
[ -f "$manager" ] || { echo "no manager in the demonstration's prefix yet: run scripts/demo.sh first" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no display: DISPLAY is not set" >&2; exit 1; }
ORV_GRAPHICS=x11 "$here/scripts/wine-session.sh" start "$prefix"
trap '"$here/scripts/wine-session.sh" stop "$prefix"' EXIT
# The demonstration's stand-in network library beside the manager answers the administrator
# check, which Wine cannot (see scripts/demo.sh).
ORV_DLL_OVERRIDES="netapi32=n,b" "$here/scripts/wine-run.sh" "$prefix" "$manager"
