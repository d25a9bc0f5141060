#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds Tavo in build/ (or $1).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$here/scripts/deps.sh"
dir="${1:-$here/build}"
shift || true
cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"${TAVO_JOBS:-$(nproc)}"
