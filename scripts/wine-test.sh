#!/usr/bin/env bash
# Runs one test program under Wine: wine-test.sh PREFIX PROGRAM [ARGS...]
# Rarely, under a heavily loaded wineserver, the Wine loader gives up before the program starts:
# it exits at once, non-zero, having printed nothing. Such a launch is tried once more; a program
# that ran (every test program prints before it can fail) is never run twice.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  "$(dirname "$0")/wine-run.sh" "$@" >"$out" 2>&1
  rc=$?
  if [ "$rc" -eq 0 ] || [ -s "$out" ] || [ "$attempt" -eq 2 ]; then break; fi
  echo "wine-test.sh: the Wine loader failed before the program started (exit $rc); trying again" >&2
done
cat "$out"
exit "$rc"
