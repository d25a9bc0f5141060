#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Start-up time (from exec to the first window exposed) and memory once idle
# (two seconds after that) of Tavo against a bare Qt Widgets program showing
# one empty window, alternating runs in one virtual display. Prints medians.
# Between the window with one line of text and Tavo, the stages of
# stages_probe_main.cpp show what each part of Tavo's start-up adds.
# With ENTRIES, every program runs on a desk with that many desktop entries
# (desktop_search_main.cpp writes them), which Tavo searches at start.
#   bash bench/startup_bench.sh [RUNS] [ENTRIES]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-15}"
entries="${2:-0}"
build="$here/build-bench"
bash "$here/bench/build_tree.sh"

runner() {
python3 - "$build/bin" "$runs" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
bin_dir, runs = sys.argv[1], int(sys.argv[2])
programs = {"bare": [os.path.join(bin_dir, "bare-window-probe")],
            "text": [os.path.join(bin_dir, "bare-window-probe"), "text"],
            "+libraries": [os.path.join(bin_dir, "stages-probe"), "libraries"],
            "+services": [os.path.join(bin_dir, "stages-probe"), "services"],
            "+main-window": [os.path.join(bin_dir, "stages-probe"), "main-window"],
            "tavo": [os.path.join(bin_dir, "tavo-probe")]}
results = {name: {"ms": [], "rss": [], "pss": []} for name in programs}

def run(name, path):
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                   XDG_RUNTIME_DIR=home, XDG_DATA_HOME=home + "/.local/share")
        desk = os.environ.get("TAVO_BENCH_DESK")
        if desk:
            env["XDG_DATA_DIRS"] = f"{desk}/home:{desk}/sys:/usr/local/share:/usr/share"
        t0 = time.monotonic_ns()
        out = subprocess.run(path, env=env, capture_output=True, text=True, timeout=60).stdout
    values = dict(line.split() for line in out.splitlines() if line.count(" ") == 1)
    results[name]["ms"].append((int(values["shown"]) - t0) / 1e6)
    results[name]["rss"].append(int(values["rss_kb"]))
    results[name]["pss"].append(int(values["pss_kb"]))

for name, path in programs.items():  # warm the caches
    run(name, path)
for name in programs:
    for key in results[name]:
        results[name][key].clear()
for _ in range(runs):
    for name, path in programs.items():
        run(name, path)

med = {n: {k: statistics.median(v) for k, v in r.items()} for n, r in results.items()}
print(f"runs: {runs} each, {os.environ['TAVO_BENCH_ENTRIES']} desktop entries")
for name in programs:
    m = med[name]
    print(f"{name:12} start-up {m['ms']:7.1f} ms   RSS {m['rss'] / 1024:6.1f} MiB   PSS {m['pss'] / 1024:6.1f} MiB")
t = med["tavo"]
for base, label in (("bare", "the empty window"), ("text", "a window with one line of text")):
    b = med[base]
    print(f"Tavo against {label}: +{(t['ms'] / b['ms'] - 1) * 100:.0f}% start-up, "
          f"+{(t['rss'] / b['rss'] - 1) * 100:.0f}% RSS, +{(t['pss'] / b['pss'] - 1) * 100:.0f}% PSS")
b = med["bare"]
ok = t["ms"] / b["ms"] < 1.5 and t["rss"] / b["rss"] < 1.3
print("goals against the empty window (start-up < +50%, memory < +30%):", "met" if ok else "not met")
sys.exit(0 if ok else 1)
PY
}
if [ -n "${DISPLAY:-}" ]; then
    export TAVO_BENCH_ENTRIES="$entries" TAVO_BENCH_DESK=""
    if [ "$entries" -gt 0 ]; then
        TAVO_BENCH_DESK="$(mktemp -d)"
        trap 'rm -rf "$TAVO_BENCH_DESK"' EXIT
        "$build/bin/desktop-search-bench" --write "$TAVO_BENCH_DESK" "$entries"
    fi
    runner
else
    exec xvfb-run -a -s "-screen 0 1280x900x24" bash "${BASH_SOURCE[0]}" "$runs" "$entries"
fi
