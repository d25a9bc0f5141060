#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Completes command lines with the bash completion of tavo and tavo-identify,
# loaded as bash-completion loads them, and checks what each one offers.
# Usage: completion_test.sh COMPLETIONS_FOLDER
set -uo pipefail
source /usr/share/bash-completion/bash_completion
source "$1/tavo"
source "$1/tavo-identify"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir jobs && touch Plan.qxd -- -draft.qxd

# Prints the sorted offers for a command line whose last word is completed.
offers() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    local function
    function="$(complete -p "$1" | sed -n 's/.*-F \([^ ]*\) .*/\1/p')"
    "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
}

failures=0
check() { # EXPECTED WORD...
    local expected="$1" got
    shift
    got="$(offers "$@")"
    if [[ $got != "$expected" ]]; then
        echo "FAIL: '$*' offered '$got', expected '$expected'"
        failures=$((failures + 1))
    fi
}

check '-- --help --version -h' tavo -
check 'Plan.qxd' tavo P
check '-draft.qxd' tavo -- -d
check 'jobs' tavo j
check '--follow --format' tavo-identify --f
check '--null' tavo-identify --n
check 'json text tsv' tavo-identify --format ''
check 'text tsv' tavo-identify -r --format t
check '--exclude' tavo-identify --e
check '--summary' tavo-identify --s
check '' tavo-identify --exclude ''
check '' tavo-identify -j ''
check 'Plan.qxd' tavo-identify -r P
check 'jobs' tavo-identify -L j
check '-draft.qxd' tavo-identify -- -d
exit $((failures > 0))
