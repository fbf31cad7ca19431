#!/bin/sh
# Makes the screenshots that the metainfo shows (packaging/screenshots/): a demo catalogue is
# scanned with ov2cat from generated folders, the built program opens it under Xvfb, and the
# screen is taken with ImageMagick's import.
# Usage: sh packaging/make-screenshots.sh [BUILD_FOLDER]   (OV2_SHOT_DISPLAY, default :92)
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
display="${OV2_SHOT_DISPLAY:-:92}"
out=packaging/screenshots
work="$(mktemp -d)"
xvfb_pid="" ov2_pid=""
cleanup() {
    [ -n "$ov2_pid" ] && kill "$ov2_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Three discs of made-up files; sizes are sparse, so nothing large is written.
make_file() {
    mkdir -p "$(dirname "$1")"
    truncate -s "$2" "$1"
}
for track in "01 Blue Morning" "02 Harbour Lights" "03 Late Train" "04 Slow Rain" "05 Coda"; do
    make_file "$work/jazz/Quartet Live/$track.flac" 31M
    make_file "$work/jazz/Studio Sessions/$track.flac" 27M
done
make_file "$work/jazz/cover.jpg" 840K
for day in 01 02 03 04 05 06 07 08; do
    make_file "$work/photos/Holiday 2024/Beach/IMG_20240$day.jpg" 4200K
    make_file "$work/photos/Holiday 2024/Mountains/IMG_20240$day.jpg" 3900K
done
make_file "$work/photos/Holiday 2024/route.gpx" 220K
for project in garden-planner recipe-book; do
    make_file "$work/backup/Projects/$project/notes.txt" 12K
    make_file "$work/backup/Projects/$project/report.pdf" 1800K
    make_file "$work/backup/Projects/$project/data.csv" 96K
done
make_file "$work/backup/Letters/insurance.pdf" 310K

export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
catalogue="$work/My Discs.ovd"
"$build/cli/ov2cat" scan "$work/jazz" "$catalogue" --name "Jazz Collection"
"$build/cli/ov2cat" scan "$work/photos" "$catalogue" --name "Holiday Photos 2024"
"$build/cli/ov2cat" scan "$work/backup" "$catalogue" --name "Backup, Spring"

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
"$build/app/ov2" "$catalogue" &
ov2_pid=$!
window=""
for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '^Ov2 - ' 2>/dev/null | head -n 1)" || true
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "make-screenshots.sh: no window" >&2; exit 1; }
sleep 1

mkdir -p "$out"
# Without a window manager nobody activates the window: give it the keyboard.
xdotool windowfocus --sync "$window"
# The main window with the second disc open in the tree and one of its folders chosen.
xdotool mousemove 360 46 click 1
sleep 0.5
xdotool key Right Down Right Down
sleep 1
import -window root "$work/main.png"
# A file search over every disc: the pattern in the Search Manager, then its File Search
# button (where they lie in the commands panel of a 1280x800 screen; the search window, named
# after its pattern, must show, or the panel has moved).
# shellcheck disable=SC2086
xdotool mousemove ${OV2_SHOT_PATTERN_AT:-115 461} click 1 type "img_2024"
# shellcheck disable=SC2086
xdotool mousemove ${OV2_SHOT_FILE_SEARCH_AT:-71 519} click 1
sleep 1.5
xdotool search --onlyvisible --name '^img_2024$' >/dev/null ||
    { echo "make-screenshots.sh: no search window: has the commands panel moved?" >&2; exit 1; }
import -window root "$work/search.png"

# Palette PNGs: the same pixels for this flat interface, a fraction of the size.
for shot in main search; do
    name="$([ "$shot" = main ] && echo main-window || echo search)"
    convert "$work/$shot.png" -crop 1280x800+0+0 +repage -strip -colors 256 "PNG8:$out/$name.png"
done
ls -l "$out"
