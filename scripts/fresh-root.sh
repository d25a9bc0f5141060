# SPDX-License-Identifier: MIT
# Clean Debian 12 roots, holding nothing but a minimal base system, for the
# checks that try Tavo as a new machine meets it. Sourced by scripts/fresh-check
# and scripts/package-check, after they set $here to the repository.
#
# Runs as root (debootstrap, chroot and mounts, all in a private mount
# namespace). The base system is made once from this machine's apt sources and
# kept in ${XDG_CACHE_HOME:-~/.cache}/tavo-fresh-check, as are the downloaded
# packages; the roots themselves are thrown away when the script ends.

cache="${XDG_CACHE_HOME:-$HOME/.cache}/tavo-fresh-check"
suite=bookworm

[ "$(id -u)" -eq 0 ] || { echo "$(basename "$0"): run it as root (debootstrap, chroot)" >&2; exit 2; }

# Re-enter in a private mount namespace, so that no mount outlives the script.
if [ -z "${TAVO_FRESH_PRIVATE:-}" ]; then
    export TAVO_FRESH_PRIVATE=1
    exec unshare --mount --propagation private "$0" "$@"
fi

command -v debootstrap >/dev/null || {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
}

# The Debian mirror this machine installs from (deb822 .sources or .list).
mirror() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk -v suite="$suite" '
            /^URIs:/ { uri = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) ok = 1 }
            /^$/ { if (ok && uri) { print uri; exit } ok = 0; uri = "" }
            END { if (ok && uri) print uri }' "$file"
    done
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        awk -v suite="$suite" '$1 == "deb" && $3 == suite { print $2 }' "$file"
    done
}
url="$(mirror | awk 'NR == 1')"
[ -n "$url" ] || { echo "$(basename "$0"): no $suite source in this machine's apt sources" >&2; exit 2; }

mkdir -p "$cache/archives/partial"
base="$cache/$suite-minbase.tar.gz"
if [ ! -f "$base" ]; then
    echo "== making the $suite base system from $url (once; kept in $base)"
    staging="$(mktemp -d "$cache/base.XXXXXX")"
    debootstrap --variant=minbase "$suite" "$staging" "$url" >"$cache/debootstrap.log" 2>&1 ||
        { tail -n 20 "$cache/debootstrap.log" >&2; exit 1; }
    tar -C "$staging" -czf "$base.part" . && mv "$base.part" "$base"
    rm -rf "$staging"
fi

roots=()
cleanup() {
    local root
    for root in "${roots[@]}"; do
        # Everything mounted below the root, deepest first, before it goes.
        awk -v root="$root/" 'index($2, root) == 1 { print $2 }' /proc/self/mounts |
            sort -r | xargs -r -n 1 umount -l
        rm -rf --one-file-system "$root"
    done
}
trap cleanup EXIT

# A fresh root with this machine's apt sources and a clean clone of the
# repository (what is committed, nothing else) at /root/tavo; its path is left
# in $root.
new_root() {
    root="$(mktemp -d "$cache/root.XXXXXX")"
    roots+=("$root")
    tar -C "$root" -xzf "$base"
    rm -f "$root/etc/apt/sources.list"
    cp /etc/apt/sources.list "$root/etc/apt/" 2>/dev/null || true
    cp /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list \
        "$root/etc/apt/sources.list.d/" 2>/dev/null || true
    # Settings of how apt fetches (validity, proxies), not what it installs.
    grep -l 'Acquire::' /etc/apt/apt.conf.d/* 2>/dev/null | xargs -r cp -t "$root/etc/apt/apt.conf.d/"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs tmpfs "$root/dev/shm"
    mount -t tmpfs tmpfs "$root/tmp"
    mount --bind "$cache/archives" "$root/var/cache/apt/archives"
    git clone -q --no-local "$here" "$root/root/tavo"
}

# Runs a command line in a root, from the clone, as a login of root would.
in_root() {
    local root="$1"
    shift
    env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 TERM=dumb chroot "$root" /bin/bash -c "cd /root/tavo && $*"
}

# The packages installed in a root, one a line.
installed_packages() {
    chroot "$1" dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 == "ii" { print $2 }'
}
