#!/usr/bin/env bash
# Saves a picture of a Windows program's window: runs a program of the x86_64 tree under Xvfb in
# a prefix of its own (real X11 graphics, Wine's fonts) and saves its window as a PNG.
#   scripts/screenshot.sh PROGRAM OUT.png [CAPTION [ARGS...]]
# PROGRAM is a name in build-x86_64/bin (WidgetGallery) or a path to an .exe; CAPTION is the
# window's title (default: the first window the program shows). For example:
#   scripts/screenshot.sh WidgetGallery gallery.png "Widget Gallery" --close-after 8000
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-x86_64"
program="$1"; out="$2"; caption="${3:-}"; shift $(( $# < 3 ? $# : 3 ))
case "$program" in
  */*|*.exe) ;;
  *) program="$build/bin/$program.exe" ;;
esac
"$here/scripts/setup.sh"
[ -f "$program" ] || { "$here/scripts/configure.sh" x86_64 "$build"; cmake --build "$build" -j"$(nproc)" >/dev/null; }
[ -f "$program" ] || { echo "no program $program" >&2; exit 1; }
prefix="$build/screenshot-prefix"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

. "$here/scripts/xvfb-session.sh"
xvfb_begin
app_pid=""
cleanup() {
  set +e
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  "$here/scripts/wine-session.sh" stop "$prefix"
  xvfb_end
}
trap cleanup EXIT

ORV_GRAPHICS=x11 "$here/scripts/wine-session.sh" start "$prefix"

"$here/scripts/wine-run.sh" "$prefix" "$program" "$@" </dev/null >/dev/null 2>&1 &
app_pid=$!
window=""
for _ in $(seq 100); do
  window=$(x11_window "$caption")
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the program showed no window${caption:+ \"$caption\"}" >&2; exit 1; }
sleep 1.5  # lets it paint
import -window "$window" "$out"
echo "saved $out"
