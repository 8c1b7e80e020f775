#!/usr/bin/env bash
# Smoke run of the 32-bit deliverables: the demonstration's service scenario with the i686
# OrvService.exe and i686 helper programs, in a 64-bit Wine prefix of its own whose 32-bit side
# runs under user-mode emulation (scripts/setup-i386.sh). Each step is checked; the first
# difference ends the run with exit code 1.  scripts/smoke-i686.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-i686}
mkdir -p "$build"; build=$(cd "$build" && pwd)   # Wine takes only an absolute prefix path
work="$build/smoke"
prefix="$work/wineprefix"
. "$here/scripts/service-session.sh"
started=$SECONDS
passed=0
ok() { passed=$((passed + 1)); echo "   ok   $*"; }
fail() {
  echo "   FAIL $*"
  if [ -n "${log:-}" ]; then show_log 0 . || true; fi   # what the service wrote meanwhile
  echo "smoke-i686: $passed passed, 1 failed"
  exit 1
}
say() { printf '\n== %s (at %d s)\n' "$*" "$((SECONDS - started))"; }
# check DESCRIPTION COMMAND...: one step, passed when the command succeeds.
check() { if "${@:2}"; then ok "$1"; else fail "$1"; fi; }

say "Setting up the 32-bit runtime"
. "$here/scripts/i686-runtime.sh"
i686_runtime "32-bit smoke run" smoke-i686

say "Building the 32-bit deliverables and the smoke run's helper programs"
"$here/scripts/configure.sh" i686 "$build"
cmake --build "$build" -j"$(nproc)" \
      --target OrvService OrvServiceMessages StandInOrvanti KeepAlive ExitCodeOf OrvServiceManager ManagerSmoke \
      >/dev/null
is_32bit() { i686-w64-mingw32-objdump -f "$1" | grep -q 'file format pei-i386'; }
for program in OrvService.exe OrvService.DLL OrvServiceManager.exe StandInOrvanti.exe KeepAlive.exe ExitCodeOf.exe \
               ManagerSmoke.exe; do
  check "$program is a 32-bit program" is_32bit "$build/bin/$program"
done

say "Preparing the Wine prefix $prefix"
service_session_begin "$work/Program Files/Orvanti Service" 600
service_session_tasks "$work"
# A 32-bit program reads the 32-bit view of the registry, as on 64-bit Windows. Nothing of an
# earlier run in either view may stand in for this run's value.
settings='HKLM\Software\Brellix\Orvanti\Settings'
for view in /reg:32 /reg:64; do run reg delete 'HKLM\Software\Brellix' /f "$view" >/dev/null 2>&1 || true; done
run reg add "$settings" /v ProgramPath /d "$(win "$generator_dir")" /f /reg:32 >/dev/null 2>&1
exit_code_of="$(win "$build/bin/ExitCodeOf.exe")"

# svc CODE ARGUMENTS...: runs the installed program and checks the exit code Windows gives
# (read by a Windows program: the shell would see only its low eight bits); output holds what
# the program printed.
svc() {
  local want="$1" text code
  shift
  text=$(run "$exit_code_of" "$service" "$@" 2>&1 </dev/null | tr -d '\r') || true
  code=$(printf '%s\n' "$text" | sed -n '$s/^exit code \([0-9]*\)$/\1/p')
  output=$(printf '%s\n' "$text" | sed '$d')
  if [ "$code" = "$want" ]; then ok "OrvService.exe $* -> exit code $code"
  else fail "OrvService.exe $* -> ${code:+exit code }${code:-no exit code}, expected $want: $text"; fi
}
has() { grep -qF -- "$2" "$1" 2>/dev/null; }
# eventually SECONDS DESCRIPTION COMMAND...: a step the service takes on its own thread.
eventually() {
  local until=$((SECONDS + $1))
  until "${@:3}"; do
    [ "$SECONDS" -ge "$until" ] && fail "$2 (within $1 s)"
    sleep 0.5
  done
  ok "$2"
}
log_has() { has "$log" "$1"; }
key_value() {  # key_value KEY NAME [/reg:32]: the value's data as reg query shows it
  { run reg query "$1" /v "$2" "${@:3}" 2>/dev/null || true; } | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

say "Help"
svc 0 -help
check "the help text lists -install" grep -qF -- '-install' <<<"$output"

say "Installing and starting the service"
svc 0 -install
installed=1
svc_key='HKLM\SYSTEM\CurrentControlSet\Services\BrellixOrvService'
check "the service is registered as \"Orvanti Manager\"" test "$(key_value "$svc_key" DisplayName)" = "Orvanti Manager"
check "it starts with the system" test "$(key_value "$svc_key" Start)" = 0x2
check "its program path is the installed program's, quoted" \
      test "$(key_value "$svc_key" ImagePath)" = "\"$service\""
svc 1073 -install   # ERROR_SERVICE_EXISTS
svc 0 -start
eventually 30 "the log says the service started" log_has "Service started successfully."
eventually 30 "the log says Task1 (Periodical) started" log_has "Task1 started."
eventually 30 "the log says Task2 (DayScheduled) started" log_has "Task2 started."
check "the log says the Watch task watches its folder" log_has "Watching folder $(win "$site") (Task3)."
show_log 0 . || true

say "The stand-in generator's runs"
eventually 15 "Task1's generator runs with its priority" has "$docs/weekly-report.orv.runs" '" /g /q /r /s2 /exitbroadcast'
eventually 15 "Task2's generator runs with its priority" has "$docs/catalogue.orv.runs" '" /g /q /r /s3 /exitbroadcast'
eventually 15 "the Watch task asked the generator for its folders" has "$docs/site.orv.runs" 'query '

say "Changing a file in the watched folder"
echo "<p>second version</p>" >"$site/index.html"
eventually 15 "the Watch task notes the change (LastEvent)" has "$data/tasks.ini" 'LastEvent='

say "Pausing, continuing and stopping"
svc 0 -pause
eventually 10 "the log says the service paused" log_has "Service paused successfully."
svc 0 -continue
eventually 10 "the log says the service continued" log_has "Service continued successfully."
# The Periodical run ends by itself 5 s after it noted its start (the service looks at its
# runs only every two minutes, or when it stops); the DayScheduled run waits for the stop.
ended=$(( $(stat -c %Y "$docs/weekly-report.orv.runs") + 5 + 5 ))
while [ "$(date +%s)" -lt "$ended" ]; do sleep 0.5; done
svc 0 -stop
eventually 10 "the log says the service stopped" log_has "Service stopped successfully."
check "the stop collects Task1's finished run" log_has "Task1 finished successfully."
check "the stop ends the one run still going" log_has "Terminating 1 running task(s)."
eventually 15 "Task2's generator quits on the stop broadcast" has "$docs/catalogue.orv.runs" 'stopped by broadcast'
check "the service counts no running task in the 32-bit registry view" \
      test "$(key_value "$settings" ServiceRunningTasks /reg:32)" = 0x0
show_log 0 . || true

say "Uninstalling"
svc 0 -uninstall
installed=0
service_gone() { ! run reg query "$svc_key" >/dev/null 2>&1; }
# A deleted service stays registered until its process has ended, which the service control
# manager forces once its kill time-out (60 s) has passed since the stop.
eventually 75 "the service's registry key is gone" service_gone
svc 1060 -start   # ERROR_SERVICE_DOES_NOT_EXIST

say "The manager"
# Beside the service program, as installed; the scenario's task file and log are in place.
cp "$build/bin/OrvServiceManager.exe" "$work/Program Files/Orvanti Service/"
manager_steps=$(run "$(win "$build/bin/ManagerSmoke.exe")" "$(win "$work/Program Files/Orvanti Service/OrvServiceManager.exe")" \
                2>&1 </dev/null | tr -d '\r') || true
while IFS= read -r step; do
  case "$step" in
    "ok "*) ok "manager: ${step#ok }" ;;
    *) fail "manager: ${step#FAILED }" ;;
  esac
done <<<"$manager_steps"
check "the manager's run ends with its exit code 0" grep -q '^ok it closes with exit code 0$' <<<"$manager_steps"

echo
echo "smoke-i686: $passed passed, 0 failed ($((SECONDS - started)) s)"
