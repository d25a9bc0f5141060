#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times tavo-identify over 20,000 files against the bare serial loop
# (bench/bare_read_main.cpp: open each file, read 512 bytes, close it), 16 such
# loops side by side, and file(1), each reading the list of paths on standard
# input. Warm: the files are in the page cache. Cold: every file is dropped
# from it (posix_fadvise DONTNEED, bench/evict_main.cpp) before each run.
# Prints the median of five runs of each, the rounds interleaved so that a
# change in the machine's load falls on all alike, and whether the goals
# hold: warm at most 1.3 times the bare loop, cold at most half of it.
#   bash bench/identify_bench.sh [FILES] [warm|cold|both]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
count="${1:-20000}"
modes="${2:-both}"
[ "$modes" = both ] && modes="warm cold"
build="$here/build-bench"
bash "$here/bench/build_tree.sh"
if ! command -v file >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends file
fi

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
os.mkdir(os.path.join(folder, "files"))
with open(os.path.join(folder, "list"), "w") as listing:
    for i in range(count):
        path = os.path.join(folder, "files", f"job{i:05d}")
        head = heads[i % len(heads)]
        with open(path, "wb") as f:
            f.write(head + bytes(4096 - len(head)))
        listing.write(path + "\n")
PY
sync
split -n l/16 "$work/list" "$work/part."

bare() { "$build/bin/bare-read" <"$work/list"; }
bare16() {
    for part in "$work"/part.*; do "$build/bin/bare-read" <"$part" & done
    wait
}
tavo() { "$build/bin/tavo-identify" - <"$work/list" >/dev/null || true; }
file1() { file -f - <"$work/list" >/dev/null; }
tools=(bare bare16 tavo file1)

# Milliseconds of one run; cold runs start with every file out of the cache.
run() {
    local mode=$1 tool=$2 start end
    if [ "$mode" = cold ]; then "$build/bin/evict-cache" <"$work/list"; fi
    start=$(date +%s%N)
    "$tool"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo "files: $count; median of 5 runs in ms"
echo "| cache | bare loop | 16 bare loops at once | tavo-identify - | file -f - | tavo-identify / bare loop | goal |"
echo "|---|---|---|---|---|---|---|"
status=0
for mode in $modes; do
    tavo >/dev/null # the program and its libraries are cached in either mode
    declare -A times=()
    for _ in 1 2 3 4 5; do
        for tool in "${tools[@]}"; do times[$tool]+="$(run "$mode" "$tool") "; done
    done
    declare -A m=()
    for tool in "${tools[@]}"; do m[$tool]=$(tr ' ' '\n' <<<"${times[$tool]}" | grep . | median); done
    goal=$([ "$mode" = warm ] && echo 1.3 || echo 0.5)
    ratio=$(awk -v t="${m[tavo]}" -v b="${m[bare]}" 'BEGIN { printf "%.2f", (b > 0) ? t / b : 0 }')
    met=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r <= g) ? "met" : "missed" }')
    [ "$met" = met ] || status=1
    echo "| $mode | ${m[bare]} | ${m[bare16]} | ${m[tavo]} | ${m[file1]} | $ratio | at most $goal: $met |"
    unset times m
done
exit $status
