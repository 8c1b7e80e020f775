#!/usr/bin/env bash
# The set-up scripts on a machine whose package archive fails: every index download fails and
# the 32-bit runtime cannot be had. Stand-ins for apt-get, dpkg and dpkg-query on the PATH make
# that so whatever this machine's own state; the packages the builds need are taken as present.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
shims="$scratch/shims"
mkdir -p "$shims"

# apt-get: no index downloads, no package fetches; installs only what SHIM_INSTALLABLE lists.
cat >"$shims/apt-get" <<'SHIM'
#!/usr/bin/env bash
for a in "$@"; do
  case "$a" in
    update)
      echo "E: Failed to fetch http://archive.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100 ;;
    download) echo "E: Failed to fetch qemu-user: 404  Not Found" >&2; exit 100 ;;
    indextargets) echo "deb bookworm http://archive.example/debian/"; exit 0 ;;
    install)
      for p in "$@"; do
        case "$p" in -*|install) continue ;; esac
        case " ${SHIM_INSTALLABLE:-} " in *" $p "*) ;; *)
          echo "E: Package '$p' has no installation candidate" >&2; exit 100 ;;
        esac
      done
      exit 0 ;;
  esac
done
exit 100
SHIM
# dpkg-query: the packages in SHIM_MISSING are not installed, those in SHIM_PRESENT are; the rest
# as this machine has them.
cat >"$shims/dpkg-query" <<'SHIM'
#!/usr/bin/env bash
for a in "$@"; do
  case " ${SHIM_PRESENT:-} " in *" $a "*) echo "install ok installed"; exit 0 ;; esac
  case " ${SHIM_MISSING:-} " in *" $a "*) echo "dpkg-query: no packages found matching $a" >&2; exit 1 ;; esac
done
exec /usr/bin/dpkg-query "$@"
SHIM
# dpkg: the i386 architecture is known already; nothing of the machine's is changed.
cat >"$shims/dpkg" <<'SHIM'
#!/usr/bin/env bash
case "${1:-}" in
  --print-foreign-architectures) echo i386 ;;
  --add-architecture) ;;
  *) exec /usr/bin/dpkg "$@" ;;
esac
SHIM
chmod +x "$shims"/*
export PATH="$shims:$PATH" ORV_APT_PAUSE=0 TMPDIR="$scratch"
unset ORV_REQUIRE_I686 ORV_I386_STATE

failures=0
passes=0
# expect DESCRIPTION WANTED_STATUS PATTERN COMMAND...: the command ends with that status and
# its output (both streams) has a line matching the pattern.
expect() {
  local description="$1" wanted="$2" pattern="$3" status=0 out
  shift 3
  out=$("$@" 2>&1 </dev/null) || status=$?
  if [ "$status" = "$wanted" ] && grep -qE -- "$pattern" <<<"$out"; then
    passes=$((passes + 1)); echo "ok   $description"
  else
    failures=$((failures + 1))
    echo "FAIL $description: exit code $status (wanted $wanted), no line matching /$pattern/ in:"
    sed 's/^/     | /' <<<"$out"
  fi
}

expect "the x86_64 tree configures although every index download fails" 0 '' \
  env SHIM_MISSING="wine32:i386" "$here/scripts/configure.sh" x86_64 "$scratch/build-x86_64"
expect "a missing package is installed after a failed index download, with a warning" 0 \
  'package index could not be fully updated' \
  env SHIM_MISSING="xdotool" SHIM_INSTALLABLE="xdotool" "$here/scripts/setup.sh"
expect "a package that cannot be installed is named with apt's reason" 1 \
  "could not install xdotool:|has no installation candidate" \
  env SHIM_MISSING="xdotool" "$here/scripts/setup.sh"
expect "the smoke run is skipped, and says why, when the archive cannot supply wine32:i386" 0 \
  '^SKIPPED 32-bit smoke run: .*wine32:i386' \
  env SHIM_MISSING="wine32:i386" "$here/scripts/smoke-i686.sh" "$scratch/build-i686"
expect "with ORV_REQUIRE_I686=1 the skipped smoke run fails" 1 'required \(ORV_REQUIRE_I686=1\)' \
  env SHIM_MISSING="wine32:i386" ORV_REQUIRE_I686=1 "$here/scripts/smoke-i686.sh" "$scratch/build-i686"
expect "no emulator yet and none to be fetched: the set-up says so instead of ending in silence" 2 \
  '^setup-i386.sh: unavailable: qemu-user cannot be fetched' \
  env SHIM_PRESENT="wine32:i386" ORV_I386_STATE="$scratch/qemu" "$here/scripts/setup-i386.sh"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
