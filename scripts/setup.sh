#!/usr/bin/env bash
# Installs, only when missing, what the builds, the tests and the demonstration need from
# Debian's packages: the cross compilers, Wine's 64-bit side, the test and build tools, and the
# private X display and picture tools of the screenshots. The 32-bit runtime of the smoke run is
# set up by that run alone (scripts/setup-i386.sh).
set -euo pipefail
setup_name=setup.sh
. "$(dirname "$0")/setup-lib.sh"
need=()
for p in g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 \
         binutils-mingw-w64-x86-64 wine64 wine libboost-dev googletest cmake make xvfb imagemagick xdotool; do
  installed "$p" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  apt_update
  apt_install "${need[@]}" || exit 1
fi
