# Sourced by demo.sh and benchmark.sh: the service program installed in a private Wine prefix.
# The caller sets here, build, prefix and work (a folder of its own), then calls
# service_session_begin PROGRAM_DIR KEEPALIVE_SECONDS. From then on `run` runs a Windows program
# in the prefix, "$service" is the installed program's Windows path, and on exit the service is
# uninstalled (when installed=1), the keep-alive process ends and the prefix's server stops.
run() { "$here/scripts/wine-run.sh" "$prefix" "$@"; }
win() { local p="$1"; echo "Z:${p//\//\\}"; }

service_session_end() {
  set +e
  if [ "$installed" = 1 ]; then run "$service" -uninstall -silent >/dev/null 2>&1; fi
  touch "$work/quit"
  [ -n "$keepalive_pid" ] && wait "$keepalive_pid" 2>/dev/null
  "$here/scripts/wine-session.sh" stop "$prefix"
}

service_session_begin() {
  local program_dir="$1" seconds="$2"
  rm -f "$work/quit"
  mkdir -p "$program_dir"
  cp "$build/bin/OrvService.exe" "$build/bin/OrvService.DLL" "$program_dir/"
  service="$(win "$program_dir/OrvService.exe")"
  installed=0
  keepalive_pid=""
  trap service_session_end EXIT
  "$here/scripts/wine-session.sh" start "$prefix"
  # Wine stops a prefix's services when its last user process exits: keep one alive meanwhile.
  run "$(win "$build/bin/KeepAlive.exe")" "$(win "$work/quit")" "$seconds" </dev/null >/dev/null 2>&1 &
  keepalive_pid=$!
}
