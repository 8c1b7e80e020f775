#!/usr/bin/env bash
# Builds a test tree and runs its tests under Wine in the tree's own prefix, every test with the
# time limit the tree gives it and through wine-test.sh's launch retry:
#   wine-ctest.sh x86_64|i686 BUILD_DIR [CTEST_ARGS...]
# (scripts/test.sh runs the x86_64 tree, scripts/test-i686.sh the i686 one.)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch="$1"; build="$2"; shift 2
mkdir -p "$build"; build=$(cd "$build" && pwd)   # Wine takes only an absolute prefix path
"$here/scripts/configure.sh" "$arch" "$build" tests
cmake --build "$build" -j"$(nproc)"
prefix="$build/wineprefix"
trap '"$here/scripts/wine-session.sh" stop "$prefix"' EXIT
"$here/scripts/wine-session.sh" start "$prefix"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
