#!/usr/bin/env bash
# The manual page renders without a warning and names every option the command's help lists,
# for the command itself and each subcommand.
#   manual_page_test.sh MIRAL MANUAL_PAGE
set -uo pipefail
miral=$1 page=$2
export LC_ALL=C.UTF-8 MANWIDTH=80

warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "man reports: $warnings" >&2
    exit 1
fi
# Rendered for an ASCII terminal, so that options read as typed.
text=$(LC_ALL=C man -l "$page" 2>/dev/null)
status=0
for command in "" info process demo snapshot export; do
    for option in $("$miral" $command --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
        grep -qF -- "$option" <<<"$text" || {
            echo "miral $command $option is not in the manual page" >&2
            status=1
        }
    done
done
exit $status
