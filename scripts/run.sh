#!/bin/sh
# Builds Ov2 and starts it. Until the main window lands, this starts the command-line tool
# ov2cat with the arguments given.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build.sh >&2
exec "${OV2_BUILD_DIR:-build}/cli/ov2cat" "$@"
