#!/bin/sh
# Configures and builds Ov2 into build/ (or $OV2_BUILD_DIR), with ccache when present.
set -eu
cd "$(dirname "$0")/.."
build="${OV2_BUILD_DIR:-build}"
sh scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${OV2_BUILD_TYPE:-RelWithDebInfo}" ${OV2_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc)"
