#!/usr/bin/env bash
# Times `tavo-identify -` over 20,000 files against a bare loop that opens each
# file, reads 512 bytes and closes it. Prints the median of five runs of each.
#   bash bench/identify_bench.sh [FILES]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
count="${1:-20000}"
build="$here/build-bench"
bash "$here/bench/build_tree.sh"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 - "$work" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
sig = bytes.fromhex("0606EDF5D81D46E5BD31EFE7FE74B71D") + b"DOCUMENT"
heads = [
    sig + bytes.fromhex("01700f00000e"),                 # InDesign CC 2019
    bytes.fromhex("00004D4D58505233204C204C5850"),       # QuarkXPress 2016 Mac
    bytes.fromhex("00004949585052333F003F000000"),       # QuarkXPress 3.3 Windows
    b"%PDF-1.7\n",                                       # not a layout document
]
with open(os.path.join(folder, "list"), "w") as listing:
    for i in range(count):
        path = os.path.join(folder, f"job{i:05d}")
        head = heads[i % len(heads)]
        with open(path, "wb") as f:
            f.write(head + bytes(4096 - len(head)))
        listing.write(path + "\n")
PY

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
measure() {
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "$@" <"$work/list" >/dev/null || true
        end=$(date +%s%N)
        echo $(((end - start) / 1000000))
    done | median
}
"$build/bin/tavo-identify" - <"$work/list" >/dev/null || true # warm the cache
bare=$(measure "$build/bin/bare-read")
tavo=$(measure "$build/bin/tavo-identify" -)
echo "files: $count"
echo "bare loop:        ${bare} ms"
echo "tavo-identify -:  ${tavo} ms"
awk -v t="$tavo" -v b="$bare" 'BEGIN { r = (b > 0) ? t / b : 0; printf "ratio: %.2f (goal: below 2.00)\n", r; exit (r < 2.0) ? 0 : 1 }'
