#!/usr/bin/env bash
# Wine prefix life cycle for one run: wine-session.sh start|stop PREFIX
# start: creates the prefix once (stdio detached: Wine's daemons otherwise hold callers' pipes
# open), selects the null graphics driver so windows and timers work without a display (unless
# ORV_GRAPHICS=x11: screenshots, then for a display without a window manager), gives GUI programs
# Wine's fonts, turns off the crash debugger, and keeps one persistent wineserver for the run
# (without it every program waits ~3 s at exit).
set -euo pipefail
cmd="$1"; export WINEPREFIX="$2"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
WINE=/usr/lib/wine/wine64
SERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
# A registry write right after the prefix is made can meet a server that is still settling:
# try a few times, and say which write failed instead of ending the run silently.
reg_add() {
  for _ in 1 2 3 4 5; do
    "$WINE" reg add "$@" /f </dev/null >/dev/null 2>&1 && return 0
    sleep 1
  done
  echo "wine-session.sh: could not write $1 $3 in $WINEPREFIX" >&2
  return 1
}
case "$cmd" in
  start)
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
      "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
      if [ "${ORV_GRAPHICS:-null}" = null ]; then
        reg_add 'HKCU\Software\Wine\Drivers' /v Graphics /d null
      fi
      "$SERVER" -w </dev/null >/dev/null 2>&1 || true
      touch "$WINEPREFIX/.orv-ready"
    fi
    # A server of this prefix may still be shutting down from an earlier run, or (reused) be
    # running already: retry, then go on either way.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      "$SERVER" -p </dev/null >/dev/null 2>&1 && break
      sleep 1
    done
    # GUI programs: Wine's own fonts (else every face falls back to a proportional one), a
    # fixed-pitch stand-in for "Courier New", and no crash dialog (an unhandled exception would
    # otherwise leave an invisible dialog and a hung program).
    if [ ! -f "$WINEPREFIX/.orv-gui" ]; then
      fonts="$WINEPREFIX/drive_c/windows/Fonts"
      mkdir -p "$fonts"
      cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true
      reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /d 'Liberation Mono'
      reg_add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
      touch "$WINEPREFIX/.orv-gui"
    fi
    # A private X display has no window manager: Wine draws the captions itself, and closing
    # windows stays quick.
    if [ "${ORV_GRAPHICS:-null}" = x11 ] && [ ! -f "$WINEPREFIX/.orv-x11" ]; then
      reg_add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
      reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
      touch "$WINEPREFIX/.orv-x11"
    fi
    # A crashing program ends at once with its exit code instead of hanging in Wine's crash
    # debugger, which would also hold the caller's pipes open.
    if [ ! -f "$WINEPREFIX/.orv-nodebugger" ]; then
      reg_add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d ''
      touch "$WINEPREFIX/.orv-nodebugger"
    fi
    # Start the prefix's system processes now, detached, so that no test's pipes are inherited
    # by them.
    "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    "$SERVER" -k </dev/null >/dev/null 2>&1 || true
    "$SERVER" -w </dev/null >/dev/null 2>&1 || true
    ;;
esac
