# Sourced by demo.sh, smoke-i686.sh and benchmark.sh: the service program installed in a private
# Wine prefix.
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
  rm -rf "$program_dir"
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

# The demonstration's scenario, after service_session_begin: service_session_tasks FOLDER puts
# the stand-in generator into FOLDER/Orvanti Generator (generator_dir: the caller makes it the
# product's ProgramPath), a watched site into FOLDER/site (site) and the stand-in's documents into
# FOLDER/docs (docs), writes a new task file into the prefix's data folder (data) and names this
# month's log file (log). The Periodical run takes 5 s, the DayScheduled run lasts until the stop
# broadcast, the Watch document names the watched site.
service_session_tasks() {
  generator_dir="$1/Orvanti Generator"
  site="$1/site"
  docs="$1/docs"
  rm -rf "$generator_dir" "$site" "$docs"
  mkdir -p "$generator_dir" "$site" "$docs"
  cp "$build/bin/StandInOrvanti.exe" "$generator_dir/Orvanti.exe"
  echo "<p>first version</p>" >"$site/index.html"
  printf 'run_ms=5000\r\n' >"$docs/weekly-report.orv"
  printf 'wait_broadcast=1\r\nrun_ms=600000\r\n' >"$docs/catalogue.orv"
  printf 'folder=%s\r\n' "$(win "$site")" >"$docs/site.orv"

  data="$prefix/drive_c/ProgramData/Brellix/OrvService"
  rm -rf "$data"
  mkdir -p "$data"
  service_session_task_file
  log="$data/Logs/$(date '+%Y-%m').log"
  shown=0
}

# The task file of the scenario, written anew (none of its tasks has run): a Periodical task
# (never run, so due), a DayScheduled task whose start time was two minutes ago today, and a
# Watch task. Backslashes are doubled in the task file.
service_session_task_file() {
  esc() { local p; p="$(win "$1")"; echo "${p//\\/\\\\}"; }
  local day hour minute
  read -r day hour minute < <(date -d '-2 min' '+%w %-H %-M')
  cat >"$data/tasks.ini" <<EOF
[General]
TasksCount=3
[Task1]
Type=Periodical
Interval=24
Priority=/s2
OrvPath=$(esc "$docs/weekly-report.orv")
[Task2]
Type=DayScheduled
Priority=/s3
OrvPath=$(esc "$docs/catalogue.orv")
DaysCount=1
Day1=$((day + 1))
Hour=$hour
Minutes=$minute
[Task3]
Type=Watch
Priority=/s1
OrvPath=$(esc "$docs/site.orv")
EOF
  sed -i 's/$/\r/' "$data/tasks.ini"
  echo "Task file: Task1 Periodical (every 24 hours), Task2 DayScheduled (at $hour:$minute today), Task3 Watch ($site)"
}

show_log() {  # prints the log lines added since the last call, waiting up to $1 seconds for $2;
              # fails, saying so, when no line holds $2 by then
  local until=$((SECONDS + $1))
  while :; do
    if [ -f "$log" ]; then
      local total; total=$(wc -l <"$log")
      if [ "$total" -gt "$shown" ]; then
        tail -n +"$((shown + 1))" "$log" | head -n "$((total - shown))" | tr -d '\r' | sed 's/^/   log | /'
        shown=$total
      fi
      if grep -q "$2" "$log" 2>/dev/null; then return 0; fi
    fi
    if [ "$SECONDS" -ge "$until" ]; then
      echo "   missing: no log line with '$2' within $1 s" >&2
      return 1
    fi
    sleep 0.5
  done
}
