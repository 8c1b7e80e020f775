# Sourced by screenshot.sh and demo.sh: a private X display for Windows programs under Wine.
#   xvfb_begin        starts Xvfb on a free display and exports DISPLAY
#   xvfb_end          stops it
#   x11_prefix PREFIX Wine draws the captions itself (no window manager here) and closing
#                     windows stays quick; once per prefix, after its server was started
xvfb_pid=""
xvfb_begin() {
  local display="" n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || { echo "no free X display" >&2; return 1; }
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}
xvfb_end() {
  [ -n "$xvfb_pid" ] || return 0
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
}
x11_prefix() {
  local prefix="$1"
  [ -f "$prefix/.orv-x11" ] && return 0
  WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  WINEPREFIX="$prefix" WINEDEBUG=-all /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  touch "$prefix/.orv-x11"
}
