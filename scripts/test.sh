#!/usr/bin/env bash
# Builds the x86_64 tree and runs every test under Wine: scripts/test.sh [BUILD_DIR [CTEST_ARGS...]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
exec "$here/scripts/wine-ctest.sh" x86_64 "${1:-$here/build-x86_64}" "${@:2}"
