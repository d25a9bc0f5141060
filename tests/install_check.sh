#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a scratch folder and has each file checked by what
# reads it on a desktop: desktop-file-validate, appstreamcli (which also finds
# the desktop entry that the metainfo launches), man and the icon theme's
# folder names. Any complaint fails, hints included.
# Usage: install_check.sh BUILD_DIR [CMAKE]
set -euo pipefail
build="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
DESTDIR="$tree" "${2:-cmake}" --install "$build" --prefix /usr >/dev/null
share="$tree/usr/share"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
out="$(desktop-file-validate "$share/applications/tavo.desktop" 2>&1)" && [[ -z $out ]] ||
    fail "desktop-file-validate: $out"
out="$(appstreamcli validate --no-net --strict "$share/metainfo/com.vellmoran.Tavo.metainfo.xml" 2>&1)" ||
    fail "appstreamcli validate: $out"
out="$(appstreamcli validate-tree --no-net --strict "$tree" 2>&1)" || fail "appstreamcli validate-tree: $out"

for page in tavo tavo-identify; do
    file="$share/man/man1/$page.1"
    [[ -f $file ]] || { fail "no manual page $file"; continue; }
    warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)" || fail "man $file"
    [[ -z $warnings ]] || fail "man $file: $warnings"
    [[ -f $share/bash-completion/completions/$page ]] || fail "no completion for $page"
done

# Each icon must be as large as its folder says, or the theme scales it.
for size in 16 22 24 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x$size/apps/tavo.png"
    if [[ ! -f $icon ]]; then
        fail "no icon $icon"
    elif [[ $(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}') != "$size $size" ]]; then
        fail "$icon is not $size x $size"
    fi
done
exit $((failures > 0))
