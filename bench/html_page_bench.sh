#!/bin/sh
# Opens the HTML page of the 1,000 x 1,000 catalogue (written by build/bench/bench_export) in
# headless Chromium with a search in its address, and prints what the page measured itself:
# milliseconds from navigation start until it was ready (data read, list drawn, the search
# answered) and the search alone, with the number of files found. Needs Debian's chromium.
set -eu
page="${1:-${TMPDIR:-/tmp}/ov2_export_bench.html}"
query="${2:-mp3%20love}"
[ -f "$page" ] || { echo "no page at $page: run build/bench/bench_export --benchmark_filter=format:3 first" >&2; exit 1; }
command -v chromium >/dev/null || { echo "chromium is not installed" >&2; exit 1; }
ls -l "$page" | awk '{ printf "page: %.1f MB\n", $5 / 1e6 }'
chromium --headless --no-sandbox --disable-gpu --dump-dom "file://$page#q=$query" 2>/dev/null |
    grep -o '<body[^>]*>\|<span id="count">[^<]*' | sed 's/<span id="count">/found: /'
