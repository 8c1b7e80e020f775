#!/usr/bin/env bash
# Installs what is missing, then configures a build tree: configure.sh i686|x86_64 BUILD_DIR [tests]
# The i686 tree holds the deliverables (and, built only by name, the helper programs of its smoke
# run), or with "tests" the whole test tree for the 32-bit test run; the x86_64 tree always adds
# the tests, which run under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch="$1"; build="$2"
tests=OFF
if [ "$arch" = x86_64 ] || [ "${3:-}" = tests ]; then tests=ON; fi
"$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch-w64-mingw32.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DORV_BUILD_TESTS=$tests -DORV_BUILD_TEST_TOOLS=ON >/dev/null
