#!/usr/bin/env bash
# Builds the x86_64 tree and runs every test under Wine: scripts/test.sh [BUILD_DIR [CTEST_ARGS...]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-x86_64}
mkdir -p "$build"; build=$(cd "$build" && pwd)   # Wine takes only an absolute prefix path
"$here/scripts/configure.sh" x86_64 "$build"
cmake --build "$build" -j"$(nproc)"
prefix="$build/wineprefix"
trap '"$here/scripts/wine-session.sh" stop "$prefix"' EXIT
"$here/scripts/wine-session.sh" start "$prefix"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "${@:2}"
