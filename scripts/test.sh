#!/bin/sh
# Builds Ov2 and runs every test; prints CTest's summary.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build.sh
ctest --test-dir "${OV2_BUILD_DIR:-build}" --output-on-failure --timeout 600 -j "$(nproc)"
