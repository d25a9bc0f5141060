#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running and testing Tavo need,
# only when some are missing. Sourced by scripts/run and scripts/test.
set -euo pipefail

TAVO_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins
    libxml2-dev libglib2.0-dev shared-mime-info
    libgtest-dev libgmock-dev libbenchmark-dev libsm-dev libice-dev
    xvfb xauth python3 qt6-translations-l10n
    appstream desktop-file-utils bash-completion man-db
)

missing=()
for p in "${TAVO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
