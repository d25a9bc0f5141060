#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks what apt will bring with the Debian package, on the machine that
# built it: every library the programs link or load, and Qt's platform plugins
# for X11 and offscreen, come from a package that Depends names; Qt's
# translations and the Wayland plugin are recommended; nothing else is asked
# for. Needs dpkg-deb and readelf, and the build's libraries installed.
# Usage: package_check.sh tavo_VERSION_ARCH.deb
set -euo pipefail
deb="$1"
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
# A relation field as package names, one a line.
names() { dpkg-deb -f "$deb" "$1" | tr ',|' '\n\n' | sed 's/(.*//; s/:any//; s/ //g' | sed '/^$/d' | sort -u; }
depends="$(names Depends)"
recommends="$(names Recommends)"

# The package that holds a file of this machine (dpkg -S with the /usr-merged
# path as well, since Debian 12 lists libraries under either).
owner() {
    local path="$1" found
    found="$(dpkg -S "$path" 2>/dev/null || dpkg -S "${path#/usr}" 2>/dev/null ||
        dpkg -S "/usr$path" 2>/dev/null)" || return 1
    echo "${found%%:*}"
}
explained=""
needs() {
    local what="$1" path="$2" package
    if ! package="$(owner "$path")"; then
        fail "$what: no installed package holds $path"
    elif ! grep -qx "$package" <<<"$depends"; then
        fail "$what ($path, in $package) is not among the dependencies: $(echo $depends)"
    fi
    explained+="$package"$'\n'
}
# ldconfig is in /sbin, which is not in a user's PATH on Debian.
library() { /sbin/ldconfig -p | awk -v so="$1" '$1 == so { print $NF; exit }'; }

for program in tavo tavo-identify; do
    for soname in $(readelf -d "$unpacked/usr/bin/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        needs "$program links $soname" "$(library "$soname")"
    done
done
# Loaded at run time, so no ELF header names them.
needs "GIO, loaded when Tavo first asks the desktop for an application" "$(library libgio-2.0.so.0)"
needs "the MIME database, which GIO reads" /usr/share/mime/packages/freedesktop.org.xml
plugins="$(dirname "$(library libQt6Gui.so.6)")/qt6/plugins"
for plugin in platforms/libqxcb.so platforms/libqoffscreen.so; do
    needs "Qt's platform plugin $plugin" "$plugins/$plugin"
done

[[ $recommends == $'qt6-translations-l10n\nqt6-wayland' ]] ||
    fail "Recommends is not Qt's translations and the Wayland plugin: $(echo $recommends)"
for package in qt6-qpa-plugins desktop-file-utils; do
    ! grep -qx "$package" <<<"$depends"$'\n'"$recommends" || fail "the package asks for $package"
done
# Nothing beyond what the programs take.
for package in $depends; do
    grep -qx "$package" <<<"$explained" || fail "the dependency $package is for nothing the programs load"
done
exit $((failures > 0))
