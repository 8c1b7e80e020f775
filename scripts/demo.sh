#!/usr/bin/env bash
# Demonstration: builds the deliverables, then runs the service under Wine's service control
# manager in a private prefix (demo/wineprefix) with three tasks, and removes it again; then the
# manager takes a tour of its pages under a private X display (Xvfb), installing, starting,
# stopping and removing the service itself, with a picture of each step in demo/screens.
# The generator Orvanti.exe is a separate product; a small stand-in (tests/tools/StandInOrvanti)
# takes its place: it notes each run in "<document>.runs" and quits on the stop broadcast.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
demo="$here/demo"
build="$here/build-x86_64"
prefix="$demo/wineprefix"
work="$demo"
. "$here/scripts/service-session.sh"
. "$here/scripts/xvfb-session.sh"
say() { printf '\n== %s\n' "$*"; }
label() { awk -v name="$1" '{ print "   " name " | " $0 }'; }

say "Setting up what the builds need"
# On a fresh machine this installs packages for a minute or more: its lines (what it installs,
# each warning) are shown as they come, the builds' own only in their last line.
"$here/scripts/setup.sh"
echo "   everything the builds need is installed"

say "Building the 32-bit deliverables"
"$here/scripts/build.sh" | tail -n 1
# Wine runs the 32-bit programs here only under emulation (scripts/smoke-i686.sh does), so the
# demonstration runs the x86_64 build of the same code.
say "Building the x86_64 programs the demonstration runs"
"$here/scripts/configure.sh" x86_64 "$build"
cmake --build "$build" -j"$(nproc)" \
      --target OrvService OrvServiceMessages StandInOrvanti KeepAlive OrvServiceManager ManagerTour StandInNetApi32 >/dev/null
echo "Programs in $build/bin"

say "Preparing the Wine prefix $prefix"
# The manager shows its windows on a private display; a prefix made without graphics by an
# earlier demonstration is made again.
[ -d "$prefix" ] && [ ! -f "$prefix/.orv-x11" ] && rm -rf "$prefix"
xvfb_begin
export ORV_GRAPHICS=x11
program_dir="$demo/Program Files/Orvanti Service"
service_session_begin "$program_dir" 900
trap 'service_session_end; xvfb_end' EXIT
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
# A deleted service stays registered until its process has ended, which the service control
# manager forces once its kill time-out (60 s) has passed since the stop.
until=$((SECONDS + 75))
while run reg query "$svc_key" >/dev/null 2>&1 && [ "$SECONDS" -lt "$until" ]; do sleep 0.5; done
if run reg query "$svc_key" >/dev/null 2>&1; then echo "   the service is still registered"
else echo "   the service's registry key is gone"; fi

say "The manager: a tour of its pages (pictures in demo/screens)"
# The same three tasks, none run yet, and a document for the task the tour adds.
service_session_task_file
rm -f "$docs"/*.runs
printf 'run_ms=3000\r\n' >"$docs/news.orv"
cp "$build/bin/OrvServiceManager.exe" "$program_dir/"
# Wine lists no members of "Administrators" at the level the manager's check asks for: beside the
# manager, a stand-in network library (tests/libraries/StandInNetApi32.cpp) lists the account
# that runs it, so the manager's own Install can be shown.
cp "$build/bin/standin/netapi32.dll" "$program_dir/"
screens="$demo/screens"
rm -rf "$screens"
mkdir -p "$screens"
installed=1  # whatever the tour leaves installed is removed at the end
set +e
ORV_DLL_OVERRIDES="netapi32=n,b" run "$(win "$build/bin/ManagerTour.exe")" "$(win "$program_dir/OrvServiceManager.exe")" \
    "$(win "$screens")" "$(win "$docs/news.orv")" </dev/null | while IFS= read -r line; do
  line=${line%$'\r'}
  case "$line" in
    "shot "*)
      rest=${line#shot }
      name=${rest%% *}
      caption=${rest#* }
      sleep 1  # lets the window paint
      window=$(x11_window "$caption")
      if [ -n "$window" ] && import -window "$window" "$screens/$name.png"; then
        echo "   picture demo/screens/$name.png"
      else
        echo "   (no picture of \"$caption\")"
      fi
      touch "$screens/$name.done"
      ;;
    "shot-area "*)
      # A failed check's picture: that place of the screen, whatever window covers it.
      read -r name left top width height <<<"${line#shot-area }"
      if import -window root -crop "$(printf '%dx%d%+d%+d' "$width" "$height" "$left" "$top")" +repage \
                "$screens/$name.png" 2>/dev/null; then
        echo "   picture demo/screens/$name.png"
      else
        echo "   (no picture of the screen at $left,$top)"
      fi
      touch "$screens/$name.done"
      ;;
    *) echo "   $line" ;;
  esac
done
tour=${PIPESTATUS[0]}
set -e
rm -f "$screens"/*.done
echo "   stand-in runs of the tour:"
for f in "$docs"/*.runs; do tr -d '\r' <"$f" | { grep -v '^query' || true; } | label "$(basename "$f" .runs)"; done
if [ "$tour" = 0 ]; then echo "   every check of the tour passed"; else echo "   $tour check(s) of the tour failed"; exit 1; fi
