#!/usr/bin/env bash
# Builds the whole test tree for i686 and runs every test under Wine's 32-bit side (emulated,
# scripts/setup-i386.sh), with the same time limits and launch retry as scripts/test.sh: the
# deliverables are 32-bit, and only there does an exception through a system frame end the
# program.  scripts/test-i686.sh [BUILD_DIR [CTEST_ARGS...]]
# When the package archive cannot supply the 32-bit runtime the run is skipped with a line
# "SKIPPED 32-bit tests: WHY", unless ORV_REQUIRE_I686=1.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/i686-runtime.sh"
i686_runtime "32-bit tests" test-i686
exec "$here/scripts/wine-ctest.sh" i686 "${1:-$here/build-i686-tests}" "${@:2}"
