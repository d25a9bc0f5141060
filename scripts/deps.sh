#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that Tavo needs, only when some are missing.
# The arguments name what for (by default build and test):
#   build    building the programs
#   test     the tests and checks, and running Tavo under xvfb-run
#   package  making the Debian package and having lintian check it
# scripts/run and scripts/test (through scripts/build.sh) build with the tests,
# so they take the default; scripts/package takes build and package.
set -euo pipefail

build=(cmake ninja-build g++ pkg-config qt6-base-dev libxml2-dev libglib2.0-dev)
test=(
    libgtest-dev libgmock-dev libsm-dev libice-dev python3 qt6-translations-l10n shared-mime-info xvfb xauth
    appstream desktop-file-utils bash-completion man-db file xdg-utils
    # A FUSE mount that behaves like a network share, for the real cases of shares.
    bindfs
)
# CPack leaves the dependencies out, with no more than a warning, without file.
package=(dpkg-dev file lintian)

((${#@})) || set -- build test
wanted=()
for group in "$@"; do
    case "$group" in
    build) wanted+=("${build[@]}") ;;
    test) wanted+=("${test[@]}") ;;
    package) wanted+=("${package[@]}") ;;
    *) echo "deps.sh: no such group '$group' (build, test, package)" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
