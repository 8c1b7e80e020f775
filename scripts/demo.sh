#!/usr/bin/env bash
# Demonstration: builds the deliverables, then runs the service under Wine's service control
# manager in a private prefix (demo/wineprefix) with three tasks, and removes it again.
# The generator Orvanti.exe is a separate product; a small stand-in (tests/tools/StandInOrvanti)
# takes its place: it notes each run in "<document>.runs" and quits on the stop broadcast.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
demo="$here/demo"
build="$here/build-x86_64"
prefix="$demo/wineprefix"
work="$demo"
. "$here/scripts/service-session.sh"
say() { printf '\n== %s\n' "$*"; }
label() { awk -v name="$1" '{ print "   " name " | " $0 }'; }

say "Building the 32-bit deliverables"
"$here/scripts/build.sh" | tail -n 1
# Wine runs the 32-bit programs here only under emulation (scripts/smoke-i686.sh does), so the
# demonstration runs the x86_64 build of the same code.
say "Building the x86_64 programs the demonstration runs"
"$here/scripts/configure.sh" x86_64 "$build"
cmake --build "$build" -j"$(nproc)" --target OrvService OrvServiceMessages StandInOrvanti KeepAlive >/dev/null
echo "Programs in $build/bin"

say "Preparing the Wine prefix $prefix"
service_session_begin "$demo/Program Files/Orvanti Service" 900
service_session_tasks "$demo"
run reg add 'HKLM\Software\Brellix\Orvanti\Settings' /v ProgramPath /d "$(win "$generator_dir")" /f >/dev/null 2>&1

svc() {
  local code=0
  run "$service" "$@" || code=$?
  echo "\$ OrvService.exe $*   -> exit code $code"
}

say "Installing and starting the service"
svc -install
installed=1
svc_key='HKLM\SYSTEM\CurrentControlSet\Services\BrellixOrvService'
{ run reg query "$svc_key" 2>/dev/null || true; } | tr -d '\r' | grep -E 'DisplayName|Start|ImagePath' | sed 's/^ */   /' || true
svc -start
show_log 15 'Task2 started'

say "The stand-in generator's runs so far"
for f in "$docs"/*.runs; do tr -d '\r' <"$f" | label "$(basename "$f" .runs)"; done

say "Changing a file in the watched folder"
echo "<p>second version</p>" >"$site/index.html"
for _ in $(seq 20); do grep -q '^LastEvent=' "$data/tasks.ini" && break; sleep 0.5; done
echo "   Task3 $(grep '^LastEvent=' "$data/tasks.ini" | tr -d '\r' || echo 'LastEvent not written')"
echo "   (a Watch task runs the generator once the folder has been quiet for ten minutes)"

say "Pausing, continuing and stopping"
svc -pause
show_log 3 'paused successfully'
svc -continue
show_log 3 'continued successfully'
sleep 4   # lets the Periodical run end by itself, so the stop collects it
svc -stop
show_log 5 'stopped successfully'
sleep 1
echo "   stand-in runs:"
for f in "$docs"/*.runs; do tr -d '\r' <"$f" | { grep -v '^query' || true; } | label "$(basename "$f" .runs)"; done

say "Uninstalling"
svc -uninstall
installed=0
if run reg query "$svc_key" >/dev/null 2>&1; then echo "   the service is still registered"
else echo "   the service's registry key is gone"; fi
