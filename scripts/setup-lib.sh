# Shared by the set-up scripts (sourced): package steps that survive a briefly inconsistent
# archive, and a last word on every failed exit, so that no set-up ends in silence.
# The script that sources it sets setup_name (the name its messages begin with).

set -E   # the trap below also speaks for failures inside functions
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
# Pause between two whole tries of the index download; the tests set it to 0.
ORV_APT_PAUSE=${ORV_APT_PAUSE:-10}

# Any command that fails under set -e names itself before the script ends.
trap 'status=$?; echo "${setup_name}: failed (exit code $status) at line $LINENO: $BASH_COMMAND" >&2' ERR

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# apt_update [APT_OPTIONS...]: fetches the package index, three tries with a pause between them.
# An index that still fails is not fatal by itself: what is needed may well be in the lists the
# machine has, and the install step says so when it is not.
apt_update() {
  local try out
  for try in 1 2 3; do
    if out=$($SUDO apt-get "$@" -o Acquire::Retries=3 update -qq 2>&1); then return 0; fi
    [ "$try" -lt 3 ] && sleep "$ORV_APT_PAUSE"
  done
  echo "${setup_name}: the package index could not be fully updated; going on with the lists this machine has:" >&2
  printf '%s\n' "$out" | grep -E '^(E|W):' | head -n 5 | sed 's/^/    /' >&2
  return 0
}

# apt_install [APT_OPTIONS... --] PACKAGES...: installs the packages; on failure names them and
# apt's reason (kept in apt_reason: its first error line; all it said in apt_output), and returns
# apt's exit code.
apt_install() {
  local options=() out status
  if [[ " $* " == *" -- "* ]]; then
    while [ "$1" != "--" ]; do options+=("$1"); shift; done
    shift
  fi
  status=0
  out=$(DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${options[@]}" "$@" 2>&1) || status=$?
  apt_output=$out
  if [ "$status" -ne 0 ]; then
    apt_reason=$(printf '%s\n' "$out" | grep -m1 '^E:' || echo "apt-get ended with exit code $status")
    echo "${setup_name}: could not install $*:" >&2
    printf '%s\n' "$out" | grep -vE '^(Reading|Building|Selecting|Preparing|Unpacking|Setting up|Processing)' |
      tail -n 8 | sed 's/^/    /' >&2
  fi
  return "$status"
}
