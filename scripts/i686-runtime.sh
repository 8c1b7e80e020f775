# Sourced by the 32-bit runs (test-i686.sh, smoke-i686.sh), which set `here`:
#   i686_runtime RUN NAME   sets up the 32-bit runtime (scripts/setup-i386.sh), showing its lines
#                           as they come. An archive that cannot supply the runtime for now must
#                           not block the whole CI run: the run is then skipped with a line
#                           "SKIPPED RUN: WHY" and the script ends with 0, unless ORV_REQUIRE_I686=1
#                           asks for the run. Any other failure of the set-up (a dpkg lock held by
#                           another install, a broken dpkg state, a full disk) ends the script
#                           with 1, naming the set-up's reason; NAME begins those messages.
i686_runtime() {
  local run="$1" name="$2" status=0 errors reason
  errors=$(mktemp)
  { "$here/scripts/setup-i386.sh" 2>&1 1>&3 3>&- | tee "$errors" >&2; } 3>&1 || status=$?
  reason=$(sed -n 's/^setup-i386.sh: \(unavailable\|failed\): //p' "$errors" | tail -n 1)
  rm -f "$errors"
  case "$status" in
    0) return 0 ;;
    2)
      if [ "${ORV_REQUIRE_I686:-0}" = 1 ]; then
        echo "$name: the 32-bit runtime is required (ORV_REQUIRE_I686=1) but cannot be set up: $reason" >&2
        exit 1
      fi
      echo "SKIPPED $run: $reason"
      exit 0 ;;
    *)
      echo "$name: setting up the 32-bit runtime failed (exit code $status)${reason:+: $reason}" >&2
      exit 1 ;;
  esac
}
