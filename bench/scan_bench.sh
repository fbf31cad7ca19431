#!/bin/sh
# Scanning a warm tree of 100,000 files in 5,000 folders: `ov2cat scan` (the walk the scan
# dialog runs, plus writing the catalogue) beside `find DIR -printf '%s\n'` on the same tree,
# in one run. Prints the best of several rounds of each and the ratio of their speeds.
#
#   sh bench/scan_bench.sh [BUILD_DIR] [ROUNDS]
#
# Never part of the test run. Needs python3 to make the tree (once, kept in $OV2_BENCH_TREE or
# a temporary folder that is removed afterwards).
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
rounds="${2:-5}"
ov2cat="$build/cli/ov2cat"
[ -x "$ov2cat" ] || { echo "no $ov2cat: build first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree="${OV2_BENCH_TREE:-$work/tree}"

if [ ! -d "$tree" ]; then
    # 50 folders of 99 sub-folders each plus themselves: 5,000 folders; 20 files in each.
    python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
for a in range(50):
    top = os.path.join(root, "album%02d" % a)
    for b in range(100):
        folder = top if b == 0 else os.path.join(top, "disc%02d" % b)
        os.makedirs(folder, exist_ok=True)
        for f in range(20):
            with open(os.path.join(folder, "track%02d.dat" % f), "wb") as out:
                out.write(b"x" * ((a * 7 + b * 13 + f * 31) % 4096))
PY
fi
folders=$(find "$tree" -type d | wc -l)
files=$(find "$tree" -type f | wc -l)
echo "tree: $files files in $((folders - 1)) folders below $tree"

# Warm the caches once for both.
find "$tree" -printf '%s\n' > /dev/null
OV2_DRIVES="E=cdrom:$tree" "$ov2cat" scan E "$work/warm.ovd" > /dev/null

now() { date +%s.%N; }
best_find=""
best_scan=""
i=0
while [ "$i" -lt "$rounds" ]; do
    start=$(now); find "$tree" -printf '%s\n' > /dev/null; end=$(now)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best_find" ] || [ "$(echo "$t < $best_find" | bc -l)" = 1 ]; then best_find=$t; fi

    rm -f "$work/bench.ovd"
    start=$(now); OV2_DRIVES="E=cdrom:$tree" "$ov2cat" scan E "$work/bench.ovd" > "$work/out.txt"; end=$(now)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best_scan" ] || [ "$(echo "$t < $best_scan" | bc -l)" = 1 ]; then best_scan=$t; fi
    i=$((i + 1))
done

echo "ov2cat scan: $(cat "$work/out.txt")"
printf 'find -printf:  %.3f s (best of %d)\n' "$best_find" "$rounds"
printf 'ov2cat scan:   %.3f s (best of %d, catalogue written)\n' "$best_scan" "$rounds"
printf 'speed of ov2cat scan relative to find: %.2fx (target: at least 0.80x)\n' \
    "$(echo "$best_find / $best_scan" | bc -l)"
