#!/usr/bin/env bash
# Benchmark (x86_64 build, under Wine, in a private prefix): the time of one examination with
# 10, 100 and 1,000 Periodical tasks that are not due, then the installed service's CPU time over
# one idle minute with 100 such tasks.  scripts/benchmark.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build-x86_64"
bench="$build/benchmark"
prefix="$bench/wineprefix"
seconds=${1:-60}
run() { "$here/scripts/wine-run.sh" "$prefix" "$@"; }
win() { local p="$1"; echo "Z:${p//\//\\}"; }

"$here/scripts/configure.sh" x86_64 "$build"
cmake --build "$build" -j"$(nproc)" \
      --target OrvService OrvServiceMessages ExaminationBenchmark ServiceCpuTime KeepAlive >/dev/null

program_dir="$bench/Orvanti Service"
rm -rf "$program_dir" "$bench/quit"
mkdir -p "$program_dir"
cp "$build/bin/OrvService.exe" "$build/bin/OrvService.DLL" "$program_dir/"
service="$(win "$program_dir/OrvService.exe")"
keepalive_pid=""
installed=0
finish() {
  set +e
  if [ "$installed" = 1 ]; then run "$service" -uninstall -silent >/dev/null 2>&1; fi
  touch "$bench/quit"
  [ -n "$keepalive_pid" ] && wait "$keepalive_pid" 2>/dev/null
  "$here/scripts/wine-session.sh" stop "$prefix"
}
trap finish EXIT
"$here/scripts/wine-session.sh" start "$prefix"

echo "== One examination (COrvService::ManageTasks), Periodical tasks not due"
run "$(win "$build/bin/ExaminationBenchmark.exe")"

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

# Wine stops a prefix's services when its last user process exits: keep one alive meanwhile.
run "$(win "$build/bin/KeepAlive.exe")" "$(win "$bench/quit")" $((seconds + 120)) </dev/null >/dev/null 2>&1 &
keepalive_pid=$!
run "$service" -install
installed=1
run "$service" -start
sleep 5   # past the start and the first examination
# The same figure from the host's side, for the process of this prefix only.
unix_pid=""
for pid in $(pgrep -f 'OrvService.exe' || true); do
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then unix_pid=$pid; fi
done
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
