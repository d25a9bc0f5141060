#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a scratch folder and has each file checked by what
# reads it on a desktop: desktop-file-validate, appstreamcli (which also finds
# the desktop entry that the metainfo launches), man and the icon theme's
# folder names; the MIME package and the desktop entry as shared-mime-info,
# GIO and xdg-mime (the way of desktops that take file(1)'s word for a type)
# read them. Any complaint fails, hints included.
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

# The MIME and desktop databases, as the packages' triggers make them, in a
# desktop of their own: only the installed tree and a scratch home.
desk="$tree/home"
mkdir -p "$desk"
in_desk() {
    env -i LANG=C.UTF-8 PATH="$tree/usr/bin:/usr/bin:/bin" HOME="$desk" XDG_DATA_HOME="$desk" \
        XDG_CONFIG_HOME="$desk" XDG_CONFIG_DIRS="$desk" XDG_DATA_DIRS="$share" "$@"
}
# Both name a fault in a file and still exit 0, so any output fails.
for update in "update-mime-database $share/mime" "update-desktop-database $share/applications"; do
    out="$(in_desk $update 2>&1)" && [[ -z $out ]] || fail "$update: $out"
done
grep -qx 'application/x-quark-xpress-3 application/vnd.quark.quarkxpress' "$share/mime/aliases" ||
    fail "file(1)'s name for QuarkXPress documents is no alias: $(cat "$share/mime/aliases")"
for type in application/vnd.quark.quarkxpress application/x-quark-xpress-3 application/x-indesign; do
    out="$(in_desk gio mime "$type" 2>&1)"
    [[ $out == *"Default application for “$type”: tavo.desktop"* ]] || fail "gio mime $type: $out"
done
# Each head, once by its head alone (no name to go by) and once as file(1)
# types it: wherever file(1) knows the type, Tavo must be the application.
heads="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/data/heads"
typed=0
for head in "$heads"/*; do
    name="$(basename "$head")"
    case "$name" in
    QuarkXPress*) want=application/vnd.quark.quarkxpress ;;
    InDesign*) want=application/x-indesign ;;
    *) want=other ;;
    esac
    cp "$head" "$desk/document"
    got="$(in_desk gio info -a standard::content-type "$desk/document" | sed -n 's/.*content-type: //p')"
    [[ $want == other && $got != application/vnd.quark.quarkxpress && $got != application/x-indesign ||
        $got == "$want" ]] || fail "$name by its head: $got, not $want"
    type="$(in_desk xdg-mime query filetype "$head")"
    if [[ $want != other && $type != application/octet-stream ]]; then
        app="$(in_desk xdg-mime query default "$type")"
        [[ $app == tavo.desktop ]] || fail "$name is $type to file(1), which xdg-mime opens with '$app'"
        typed=$((typed + 1))
    fi
done
((typed > 0)) || fail "file(1) typed none of the heads in $heads"
# A document whose head says nothing is known by its name.
printf 'no head' >"$desk/Plan.qxd"
got="$(in_desk gio info -a standard::content-type "$desk/Plan.qxd" | sed -n 's/.*content-type: //p')"
[[ $got == application/vnd.quark.quarkxpress ]] || fail "Plan.qxd by its name: $got"

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
