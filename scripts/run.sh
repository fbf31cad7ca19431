#!/bin/sh
# Builds Ov2 and starts it; arguments go to the program (a catalogue file to open).
set -eu
cd "$(dirname "$0")/.."
sh scripts/build.sh >&2
exec "${OV2_BUILD_DIR:-build}/app/ov2" "$@"
