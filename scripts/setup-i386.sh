#!/usr/bin/env bash
# Lets this machine run 32-bit Windows programs for the smoke run: Wine's 32-bit side
# (wine32:i386), and, because the kernel here runs no 32-bit code, the user-mode emulator
# qemu-i386 registered with binfmt_misc for 32-bit x86 ELF programs. Each part is done only when
# missing, so that on a machine already set up it takes a fraction of a second.
# Exit codes: 0 ready; 2 the runtime cannot be had on this machine (the archive cannot supply a
# part, or the kernel refuses the handler), with a last line "setup-i386.sh: unavailable: WHY";
# 1 apt failed for a reason of this machine's own (a dpkg lock held by another install, a broken
# dpkg state, a full disk, a folder it may not write), with a last line "setup-i386.sh: failed:
# WHY" naming apt's reason;
# any other code: a step of the set-up failed, and says where.
set -euo pipefail
setup_name=setup-i386.sh
. "$(dirname "$0")/setup-lib.sh"
# Our own folder: the private apt state (apt/) and the unpacked emulator package (root/).
state=${ORV_I386_STATE:-/opt/orvanti-qemu}
qemu="$state/root/usr/bin/qemu-i386"
min_qemu=10   # bookworm's own 7.2 needs minutes per Wine process start, then crashes
# binfmt_misc drops its entries at reboot, and a name already taken may point elsewhere.
entry=/proc/sys/fs/binfmt_misc/qemu-i386

unavailable() {
  echo "setup-i386.sh: unavailable: $*" >&2
  exit 2
}
failed() {
  echo "setup-i386.sh: failed: $*" >&2
  exit 1
}
# cannot_store APT_OUTPUT: whether apt's errors say that it could not store what it fetched: a
# full disk or quota, a read-only or unwritable folder. It then says "Failed to fetch URL  WHY" and
# "Unable to fetch some archives" as for a package the archive lacks; only WHY tells them apart
# ("Write error - write (28: No space left on device)", "Could not open file PATH - open (13:
# Permission denied)").
cannot_store() {
  grep -qE "^E: .*(Write error|Could not open file|Could not create temporary file|Unable to write to|\
Problem renaming the file|rename failed|\((28: No space left on device|30: Read-only file system|\
13: Permission denied|122: Disk quota exceeded)\))" <<<"$1"
}
# archive_cannot_supply APT_OUTPUT: whether apt's lines put the failure down to the archive: no
# candidate for a package, dependencies or versions it cannot satisfy, an index or a package it
# cannot fetch. A lock, an interrupted dpkg, a failing package script or a fetched package that
# cannot be stored are this machine's.
# Quiet (-qq), apt lists no unmet dependencies: its resolver only says that it gave up, as it
# does when one of the archive's indexes is inconsistent and the i386 versions no longer match.
archive_cannot_supply() {
  cannot_store "$1" && return 1
  grep -qE "has no installation candidate|Unable to locate package|Couldn't find any package|unmet dependencies|\
pkgProblemResolver::Resolve generated breaks|Unable to correct problems, you have held broken packages|\
Version '.*' for '.*' was not found|Release '.*' for '.*' was not found|Can't select candidate version|\
Failed to fetch|Unable to fetch some archives|index files failed to download" <<<"$1"
}

# Builds of several work trees may set up at once: one at a time, the others then find it done.
exec 9>"${TMPDIR:-/tmp}/orvanti-setup-i386.lock"
flock 9

# 1. Wine's 32-bit loader and libraries.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture"
  $SUDO dpkg --add-architecture i386
fi
if ! installed wine32:i386; then
  echo "Installing: wine32:i386"
  apt_update
  if ! apt_install --no-install-recommends -- wine32:i386; then
    archive_cannot_supply "$apt_output" &&
      unavailable "the package archive cannot supply wine32:i386 at the versions this system needs ($apt_reason)"
    failed "apt-get cannot install wine32:i386 ($apt_reason)"
  fi
fi

# 2. The emulator, from the backports suite of the machine's own Debian mirror, fetched through
#    an apt list of our own so that the system's sources and lists stay as they are.
qemu_major() {  # empty when there is no emulator yet, or it does not run
  { "$qemu" --version 2>/dev/null || true; } | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}
fresh_qemu=0
major=$(qemu_major)
if [ -z "$major" ] || [ "$major" -lt "$min_qemu" ]; then
  mirror=$(apt-get indextargets --no-release-info --format '$(TARGET_OF) $(RELEASE) $(REPO_URI)' 2>/dev/null |
           awk '$1 == "deb" && $2 == "bookworm" { print $3; exit }' || true)
  [ -n "$mirror" ] || unavailable "no bookworm mirror in this machine's apt sources, to fetch qemu-user from"
  echo "Fetching qemu-user from bookworm-backports ($mirror)"
  apt_dir="$state/apt"
  $SUDO mkdir -p "$apt_dir/sources.list.d" "$apt_dir/preferences.d" "$apt_dir/lists/partial" \
                 "$apt_dir/cache/archives/partial"
  echo "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" |
    $SUDO tee "$apt_dir/sources.list" >/dev/null
  private=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
           -o Dir::Etc::Preferences="$apt_dir/preferences" -o Dir::Etc::PreferencesParts="$apt_dir/preferences.d"
           -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache"
           -o Acquire::Languages=none)
  apt_update "${private[@]}"
  download=$(mktemp -d)
  chmod 777 "$download"   # apt fetches as its own unprivileged user
  if ! fetched=$(cd "$download" && $SUDO apt-get "${private[@]}" -o Acquire::Retries=3 download -qq \
                   qemu-user/bookworm-backports 2>&1); then
    rm -rf "$download"
    reason=$(printf '%s\n' "$fetched" | grep -m1 '^E:' || echo "apt-get download failed")
    archive_cannot_supply "$fetched" && unavailable "qemu-user cannot be fetched from bookworm-backports ($reason)"
    failed "apt-get cannot fetch qemu-user from bookworm-backports ($reason)"
  fi
  # The package holds an emulator for every processor: only the one for 32-bit x86 is kept.
  $SUDO rm -rf "$state/root"
  $SUDO mkdir -p "$state/root"
  dpkg-deb --fsys-tarfile "$download"/qemu-user_*.deb | $SUDO tar -x -C "$state/root" ./usr/bin/qemu-i386
  rm -rf "$download"
  major=$(qemu_major)
  if [ -z "$major" ] || [ "$major" -lt "$min_qemu" ]; then
    unavailable "$qemu from bookworm-backports does not run as qemu-i386 $min_qemu or later"
  fi
  fresh_qemu=1
fi

# 3. The handler: 32-bit little-endian x86 ELF executables and shared objects (e_type 2 or 3,
#    e_machine 3), any OS ABI. P hands the emulator the program's own argv[0], O hands it the
#    opened program (which it may not be allowed to read), C takes the credentials from the
#    program rather than the emulator, F opens the emulator now, so it works in any namespace.
if ! mountpoint -q /proc/sys/fs/binfmt_misc; then
  $SUDO mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
    unavailable "binfmt_misc cannot be mounted on this machine"
fi
registered() {
  [ -f "$entry" ] && grep -qx enabled "$entry" && grep -qx "interpreter $qemu" "$entry" &&
    grep -qx 'flags: POCF' "$entry"
}
if [ "$fresh_qemu" = 1 ] || ! registered; then
  if [ -f "$entry" ]; then echo -1 | $SUDO tee "$entry" >/dev/null; fi
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf ':qemu-i386:M::%s:%s:%s:POCF' "$magic" "$mask" "$qemu" |
    $SUDO tee /proc/sys/fs/binfmt_misc/register >/dev/null 2>&1 || true
  registered || unavailable "the kernel did not take the handler for 32-bit x86 programs ($entry)"
  echo "Registered $qemu for 32-bit x86 programs"
fi
