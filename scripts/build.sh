#!/usr/bin/env bash
# Builds the two 32-bit deliverables: scripts/build.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-i686}
"$here/scripts/configure.sh" i686 "$build"
cmake --build "$build" -j"$(nproc)"
echo "Deliverables in $build/bin"
