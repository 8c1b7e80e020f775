#!/usr/bin/env bash
# Benchmark (x86_64 build, under Wine, in a private prefix): the time of one examination with
# 10, 100 and 1,000 Periodical tasks that are not due, the load of a task file whose two sections
# lie millions of numbers apart in the service and in the manager, building the text editor's
# buffer from a two-month log, drawing and scrolling the text view over it, the text editor
# control loading and following a log, the HTML label's measuring and drawing passes (also over
# hostile markup), then the installed service's CPU time over one idle minute with 100 such
# tasks, then the manager: its start-up with 100 tasks and a two-month log, a refresh of its Tasks
# and Logs pages, and its CPU time over one idle minute, and last the stop of a folder watcher
# while a change callback does not return for 30 s, and the service's stop over 1, 3 and 10 Watch
# tasks while one task's change callback does not return.
#   scripts/benchmark.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-x86_64"
bench="$build/benchmark"
prefix="$bench/wineprefix"
seconds=${1:-60}
work="$bench"
. "$here/scripts/service-session.sh"

"$here/scripts/configure.sh" x86_64 "$build"
cmake --build "$build" -j"$(nproc)" \
      --target OrvService OrvServiceMessages ExaminationBenchmark TextBufferBenchmark TextViewBenchmark TextEditorBenchmark \
               HtmlLabelBenchmark StuckCallbackStopBenchmark ServiceCpuTime KeepAlive OrvServiceManager \
               ManagerBenchmark StandInOrvanti \
      >/dev/null

service_session_begin "$bench/Orvanti Service" $((seconds + 120))

echo "== One examination (COrvService::ManageTasks), Periodical tasks not due; then a task file"
echo "   whose two sections lie far apart, loaded by the service and by the manager"
run "$(win "$build/bin/ExaminationBenchmark.exe")"

echo
echo "== The text editor's buffer built from a service log, beside splitting it into strings"
run "$(win "$build/bin/TextBufferBenchmark.exe")"

echo
echo "== The text view over a service log as the Logs page shows it"
run "$(win "$build/bin/TextViewBenchmark.exe")"

echo
echo "== The text editor control driven as the Logs page drives it (per line: the first 2,000 lines)"
run "$(win "$build/bin/TextEditorBenchmark.exe")" 2000

echo
echo "== The HTML label: the Tasks page's status texts and a 100 x 5 table, measured and drawn;"
echo "   then hostile markup (long runs, deep nesting, huge sizes), each case in a process of its own"
run "$(win "$build/bin/HtmlLabelBenchmark.exe")"

echo
echo "== The installed service idle for $seconds s with 100 tasks that are not due"
data="$prefix/drive_c/ProgramData/Brellix/OrvService"
rm -rf "$data"
mkdir -p "$data"
last_run="$(date '+%Y:%-m:%-d;%-H:%-M')"
{
  printf '[General]\r\nTasksCount=100\r\n'
  for n in $(seq 100); do
    printf '[Task%d]\r\nType=Periodical\r\nInterval=24\r\nPriority=/s2\r\nOrvPath=C:\\\\Sites\\\\site%d.orv\r\nLastRun=%s\r\n' \
      "$n" "$n" "$last_run"
  done
} >"$data/tasks.ini"

run "$service" -install
installed=1
run "$service" -start
sleep 5   # past the start and the first examination
# The same figure from the host's side, for the process of this prefix only.
# host_pid PROGRAM: the host's process id of the program running in this prefix.
host_pid() {
  local pid found=""
  for pid in $(pgrep -f "$1" || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then found=$pid; fi
  done
  echo "$found"
}
unix_pid=$(host_pid 'OrvService.exe')
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
[ -n "$unix_pid" ] && before=$(ticks "$unix_pid")
run "$(win "$build/bin/ServiceCpuTime.exe")" BrellixOrvService "$seconds"
if [ -n "$unix_pid" ]; then
  after=$(ticks "$unix_pid")
  echo "host view of the same process: $(( (after - before) * 1000 / $(getconf CLK_TCK) )) ms of CPU time"
fi
grep -c 'started\.' "$data/Logs/"*.log >/dev/null 2>&1 && echo "warning: a task ran during the measurement"
run "$service" -stop
run "$service" -uninstall
installed=0

echo
echo "== The manager with 100 tasks and two months of log (200,000 lines), headless"
rm -rf "$data"
mkdir -p "$data" "$bench/generator"
cp "$build/bin/StandInOrvanti.exe" "$bench/generator/Orvanti.exe"
run reg add 'HKLM\Software\Brellix\Orvanti\Settings' /v ProgramPath /d "$(win "$bench/generator")" /f >/dev/null 2>&1
cp "$build/bin/OrvServiceManager.exe" "$bench/Orvanti Service/"
# The idle minute from the host's side too: the tool says when it begins and ends.
run "$(win "$build/bin/ManagerBenchmark.exe")" "$(win "$bench/Orvanti Service/OrvServiceManager.exe")" "$seconds" \
    </dev/null | while IFS= read -r line; do
  line=${line%$'\r'}
  echo "$line"
  case "$line" in
    "idle from now"*) manager_pid=$(host_pid 'OrvServiceManager.exe'); [ -n "$manager_pid" ] && before=$(ticks "$manager_pid") ;;
    "CPU time idle"*)
      [ -n "${manager_pid:-}" ] && echo "host view of the same process: $(( ($(ticks "$manager_pid") - before) * 1000 / $(getconf CLK_TCK) )) ms of CPU time" ;;
  esac
done

echo
echo "== A folder watcher's stop (what a Watch task's stop runs) while a change callback does not"
echo "   return for 30 s: one that sleeps, one whose LastEvent write meets the task file's mutex kept"
echo "   by another holder; then the service's stop over 1, 3 and 10 Watch tasks while Task1's change"
echo "   callback does not return"
run "$(win "$build/bin/StuckCallbackStopBenchmark.exe")" 30000
