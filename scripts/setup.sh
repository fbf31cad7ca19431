#!/bin/sh
# Installs the Debian packages that building and testing Ov2 need, when any is missing.
set -eu

packages="g++ cmake ninja-build ccache pkg-config qt6-base-dev libcdio-dev libarchive-dev libarchive-tools p7zip-full libdiscid-dev libgtest-dev libbenchmark-dev libicu-dev libxxhash-dev libsqlite3-dev sqlite3 python3 clang libclang-rt-14-dev adwaita-icon-theme shared-mime-info xdg-utils"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
