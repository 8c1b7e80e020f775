# Sourced by screenshot.sh and demo.sh: a private X display for Windows programs under Wine.
#   xvfb_begin        starts Xvfb on a free display and exports DISPLAY
#   xvfb_end          stops it
#   x11_window [CAPTION]  the id of a visible window with exactly that title (without one: of
#                     the first visible window with any title); nothing when there is none
# (wine-session.sh start, with ORV_GRAPHICS=x11, readies a prefix for such a display.)
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
x11_window() {
  local name='.+'
  [ -n "${1:-}" ] && name="^$1\$"
  xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1 || true
}
