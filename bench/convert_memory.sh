#!/bin/sh
# Peak memory of `ov2cat convert` on hostile old catalogues: old files built so that a few
# bytes of input each become a record in memory. Prints, for each case, the size of the four
# old files, the peak resident set of the conversion and their ratio. Old files are untrusted
# input; the conversion is meant to stay well within 20 times their size.
#
#   sh bench/convert_memory.sh [BUILD_DIR]
#
# Never part of the test run. Needs python3 (to write the files) and /usr/bin/time.
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"
ov2cat="$build/cli/ov2cat"
[ -x "$ov2cat" ] || { echo "no $ov2cat: build first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "no /usr/bin/time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import os, struct, sys
work = sys.argv[1]

def count(n):
    return struct.pack("<H", n) if n < 0xFFFF else struct.pack("<HI", 0xFFFF, n)

def text(s):
    b = s.encode()
    assert len(b) < 0xFF
    return bytes([len(b)]) + b

def objects(cls, records):
    """An object list: the class described once, every later object refers to it (index 1)."""
    out = [count(len(records))]
    for i, fields in enumerate(records):
        out.append(struct.pack("<HHH", 0xFFFF, 0, len(cls)) + cls.encode() if i == 0 else struct.pack("<H", 0x8001))
        out.append(b"".join(text(f) for f in fields[:-1]) + count(len(fields[-1])) +
                   b"".join(text(c) for c in fields[-1]))
    return b"".join(out)

def disc(number, categories=()):
    return [number, "", "", "", "", "home", "", "", "", "", "", list(categories)]

def write(case, data=None, cats=None, files=None, tree=b"1 One\r\n"):
    folder = os.path.join(work, case)
    os.makedirs(folder)
    parts = {"Data.dat": data if data is not None else objects("CDisc", [disc("1")]),
             "Cat.dat": cats if cats is not None else count(0),
             "FileData.dat": files if files is not None else count(0),
             "Tree.ovdt": tree}
    for name, content in parts.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)

n = 3 * 1000 * 1000
write("small")  # the program's own footprint
write("cat-empty-names", cats=count(n) + b"\0" * n)
write("cat-short-names", cats=count(n // 2) + b"".join(text(chr(65 + i % 26)) for i in range(n // 2)))
write("tree-x-lines", tree=b"x\n" * (2 * 1000 * 1000))
write("tree-duplicate-discs", tree=b"1 a\n" * (1000 * 1000))
write("tree-many-discs", tree=b"".join(b"%d \n" % i for i in range(1, 500 * 1000)))
write("data-many-discs", data=objects("CDisc", [disc(str(i % 100)) for i in range(300 * 1000)]))
write("data-disc-categories", data=objects("CDisc", [disc("1", [""] * (3 * 1000 * 1000))]))
write("files-many", files=objects("CFileData", [["", "1", "", "", "", []] for _ in range(400 * 1000)]))
PY

printf '%-22s %10s %12s %7s %s\n' case "input KB" "peak RSS KB" ratio result
for folder in "$work"/*/; do
    case=$(basename "$folder")
    input=$(( $(cat "$folder"* | wc -c) / 1024 ))
    rss=$(/usr/bin/time -v "$ov2cat" convert "$folder" "$work/$case.ovd" 2>"$work/$case.err" >/dev/null &&
              echo ok || echo failed)
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$case.err")
    printf '%-22s %10s %12s %7s %s\n' "$case" "$input" "$peak" "$(( peak / (input > 0 ? input : 1) ))x" "$rss"
done
