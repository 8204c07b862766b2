#!/usr/bin/env bash
# The bash completion offers the commands, every option the command's help lists for each
# command, the factory programs after --program and the parameter names after --set.
#   bash_completion_test.sh MIRAL COMPLETION
set -uo pipefail
miral=$1
# shellcheck source=/dev/null
source "$2"
status=0

# What completing the last word of the given command line offers, one per line.
offers() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _miral
    printf '%s\n' "${COMPREPLY[@]}"
}
expect_offered() {
    local offered=$1
    shift
    for word in "$@"; do
        grep -qxF -- "$word" <<<"$offered" || {
            echo "not offered: $word" >&2
            status=1
        }
    done
}

expect_offered "$(offers miral '')" info process demo snapshot export --version
expect_offered "$(offers miral process x.wav y.wav --program '')" '00\ -\ Flat' \
    '03\ -\ Bright\ and\ fat' '08\ -\ Contour'
expect_offered "$(offers miral process x.wav y.wav --program '"07')" '07 - Presence'
expect_offered "$(offers miral snapshot x.png --set 'gain')" 'Gain\ 1=' 'Gain\ 6=' 'Gain\ Range='
[ "$(offers miral process x.wav y.wav --set 'Q')" = "$(printf 'Q\\ %s=\n' 1 2 3 4 5 6)" ] || {
    echo "--set Q offers more than the six Q parameters" >&2
    status=1
}
expect_offered "$(offers miral process x.wav y.wav --type f)" flac
expect_offered "$(offers miral process x.wav y.wav --bits '')" 16 24 32

for command in "" info process demo snapshot export; do
    options=$("$miral" $command --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
    # shellcheck disable=SC2086
    expect_offered "$(offers miral $command -)" $options
done
exit $status
