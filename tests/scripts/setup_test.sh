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
# SHIM_INSTALL_FAILS holds what apt says when every install fails, SHIM_DOWNLOAD_FAILS what it
# says when a download fails ("\n" between the lines of either).
cat >"$shims/apt-get" <<'SHIM'
#!/usr/bin/env bash
for a in "$@"; do
  case "$a" in
    install) if [ -n "${SHIM_INSTALL_FAILS:-}" ]; then printf '%b\n' "$SHIM_INSTALL_FAILS" >&2; exit 100; fi ;;&
    update)
      echo "E: Failed to fetch http://archive.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100 ;;
    download) printf '%b\n' "${SHIM_DOWNLOAD_FAILS:-E: Failed to fetch qemu-user: 404  Not Found}" >&2; exit 100 ;;
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
# expect DESCRIPTION WANTED_STATUS PATTERNS COMMAND...: the command ends with that status and its
# output (both streams) has a line matching each pattern (one a line); a pattern that begins
# with "!" matches when no line matches the rest.
expect() {
  local description="$1" wanted="$2" patterns="$3" status=0 out pattern missing=""
  shift 3
  out=$("$@" 2>&1 </dev/null) || status=$?
  while IFS= read -r pattern; do
    case "$pattern" in
      "") missing+=" (an empty pattern)" ;;
      !*) if grep -qE -- "${pattern#!}" <<<"$out"; then missing+=" no /${pattern#!}/"; fi ;;
      *) grep -qE -- "$pattern" <<<"$out" || missing+=" /$pattern/" ;;
    esac
  done <<<"$patterns"
  if [ "$status" = "$wanted" ] && [ -z "$missing" ]; then
    passes=$((passes + 1)); echo "ok   $description"
  else
    failures=$((failures + 1))
    echo "FAIL $description: exit code $status (wanted $wanted), lines wanted:$missing, in:"
    sed 's/^/     | /' <<<"$out"
  fi
}

expect "the x86_64 tree configures although every index download fails: a missing package is installed, with a warning" 0 \
  $'^Installing: xdotool$\n^setup.sh: the package index could not be fully updated; going on with the lists this machine has:$\n^    E: Failed to fetch .*File has unexpected size\n!wine32' \
  env SHIM_MISSING="wine32:i386 xdotool" SHIM_INSTALLABLE="xdotool" "$here/scripts/configure.sh" x86_64 "$scratch/build-x86_64"
expect "a package that cannot be installed is named with apt's reason" 1 \
  $'^setup.sh: could not install xdotool:$\n^    E: Package .xdotool. has no installation candidate$' \
  env SHIM_MISSING="xdotool" "$here/scripts/setup.sh"

# What apt says when wine32:i386 cannot be installed, and what each 32-bit run makes of it: the
# archive's reasons skip the run, this machine's own reasons fail it, naming apt's reason.
while IFS='|' read -r outcome reason apt_says; do
  for run in "smoke-i686|32-bit smoke run|$scratch/build-i686" "test-i686|32-bit tests|$scratch/build-i686-tests"; do
    IFS='|' read -r name title build <<<"$run"
    if [ "$outcome" = skipped ]; then
      expect "$name is skipped when apt says: ${apt_says%%\\n*}" 0 \
        "^SKIPPED $title: the package archive cannot supply wine32:i386 .*$reason" \
        env SHIM_MISSING="wine32:i386" SHIM_INSTALL_FAILS="$apt_says" "$here/scripts/$name.sh" "$build"
    else
      expect "$name fails when apt says: ${apt_says%%\\n*}" 1 \
        "^$name: setting up the 32-bit runtime failed \(exit code 1\): apt-get cannot install wine32:i386 \(E: $reason" \
        env SHIM_MISSING="wine32:i386" SHIM_INSTALL_FAILS="$apt_says" "$here/scripts/$name.sh" "$build"
    fi
  done
done <<'APT'
skipped|Package 'wine32:i386' has no installation candidate|E: Package 'wine32:i386' has no installation candidate
skipped|Unable to locate package|E: Unable to locate package wine32:i386
skipped|Unable to correct problems|The following packages have unmet dependencies:\n wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but 8.0~repack-3 is to be installed\nE: Unable to correct problems, you have held broken packages.
skipped|pkgProblemResolver::Resolve generated breaks|E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages.
skipped|Version '8.0~repack-9' for 'wine32:i386' was not found|E: Version '8.0~repack-9' for 'wine32:i386' was not found
skipped|Failed to fetch|E: Failed to fetch http://archive.example/pool/main/w/wine/wine32_8.0~repack-4_i386.deb  404  Not Found [IP: 192.0.2.1 80]\nE: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?
failed|Could not get lock /var/lib/dpkg/lock-frontend|E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 4242 (apt-get)\nE: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), is another process using it?
failed|dpkg was interrupted|E: dpkg was interrupted, you must manually run 'dpkg --configure -a' to correct the problem.
failed|Sub-process /usr/bin/dpkg returned an error code|Setting up wine32:i386 (8.0~repack-4) ...\ndpkg: error processing package wine32:i386 (--configure):\nE: Sub-process /usr/bin/dpkg returned an error code (1)
failed|Failed to fetch .*/libwine_8.0~repack-4_i386.deb  Write error - write \(28: No space left on device\)|E: Failed to fetch http://deb.debian.org/debian/pool/main/w/wine/libwine_8.0~repack-4_i386.deb  Write error - write (28: No space left on device)\nE: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?
failed|Failed to fetch .*/wine32_8.0~repack-4_i386.deb  Could not open file .* - open \(13: Permission denied\)|E: Failed to fetch http://deb.debian.org/debian/pool/main/w/wine/wine32_8.0~repack-4_i386.deb  Could not open file /var/cache/apt/archives/partial/wine32_8.0~repack-4_i386.deb - open (13: Permission denied)\nE: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?
failed|Failed to fetch .*  Could not open file .* - open \(30: Read-only file system\)|E: Failed to fetch http://deb.debian.org/debian-security/pool/updates/main/w/wine/libwine_8.0~repack-4+deb12u1_i386.deb  Could not open file /var/cache/apt/archives/partial/libwine_8.0~repack-4+deb12u1_i386.deb - open (30: Read-only file system)\nE: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?
APT
for run in "smoke-i686|$scratch/build-i686" "test-i686|$scratch/build-i686-tests"; do
  IFS='|' read -r name build <<<"$run"
  expect "with ORV_REQUIRE_I686=1 the skipped $name fails" 1 "^$name: the 32-bit runtime is required \(ORV_REQUIRE_I686=1\)" \
    env SHIM_MISSING="wine32:i386" ORV_REQUIRE_I686=1 "$here/scripts/$name.sh" "$build"
done
expect "no emulator yet and none to be fetched: the set-up says so instead of ending in silence" 2 \
  '^setup-i386.sh: unavailable: qemu-user cannot be fetched' \
  env SHIM_PRESENT="wine32:i386" ORV_I386_STATE="$scratch/qemu" "$here/scripts/setup-i386.sh"
expect "no emulator yet and no room to store it: the set-up fails, naming apt's reason" 1 \
  '^setup-i386.sh: failed: apt-get cannot fetch qemu-user from bookworm-backports \(E: Failed to fetch .*  Write error - write \(28: No space left on device\)\)$' \
  env SHIM_PRESENT="wine32:i386" ORV_I386_STATE="$scratch/qemu" \
      SHIM_DOWNLOAD_FAILS="E: Failed to fetch http://deb.debian.org/debian/pool/main/q/qemu/qemu-user_1%3a10.0.2+ds-1~bpo12+1_amd64.deb  Write error - write (28: No space left on device)\nE: Some files failed to download" \
      "$here/scripts/setup-i386.sh"

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
