#!/usr/bin/env bash
# Start-up time (from exec to the first window exposed) and memory once idle
# (two seconds after that) of Tavo against a bare Qt Widgets program showing
# one empty window, alternating runs in one virtual display. Prints medians.
#   bash bench/startup_bench.sh [RUNS]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs="${1:-15}"
build="$here/build-bench"
bash "$here/scripts/deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" >/dev/null

runner() {
python3 - "$build/bin" "$runs" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
bin_dir, runs = sys.argv[1], int(sys.argv[2])
programs = {"bare": os.path.join(bin_dir, "bare-window-probe"),
            "tavo": os.path.join(bin_dir, "tavo-probe")}
results = {name: {"ms": [], "rss": [], "pss": []} for name in programs}

def run(name, path):
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                   XDG_RUNTIME_DIR=home, XDG_DATA_HOME=home + "/.local/share")
        t0 = time.monotonic_ns()
        out = subprocess.run([path], env=env, capture_output=True, text=True, timeout=60).stdout
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
print(f"runs: {runs} each")
for name in programs:
    m = med[name]
    print(f"{name:5} start-up {m['ms']:7.1f} ms   RSS {m['rss'] / 1024:6.1f} MiB   PSS {m['pss'] / 1024:6.1f} MiB")
t, b = med["tavo"], med["bare"]
extra_time = (t["ms"] / b["ms"] - 1) * 100
extra_rss = (t["rss"] / b["rss"] - 1) * 100
extra_pss = (t["pss"] / b["pss"] - 1) * 100
print(f"Tavo adds {extra_time:.0f}% start-up (goal < 50%), {extra_rss:.0f}% RSS and {extra_pss:.0f}% PSS (goal < 30%)")
sys.exit(0 if extra_time < 50 and extra_rss < 30 else 1)
PY
}
if [ -n "${DISPLAY:-}" ]; then
    runner
else
    exec xvfb-run -a -s "-screen 0 1280x900x24" bash "${BASH_SOURCE[0]}" "$runs"
fi
