#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Release tree build-bench/ with the benchmark programs, which the
# benchmarks and the screenshot script run.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTAVO_BUILD_TESTS=OFF -DTAVO_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$here/build-bench" >/dev/null
